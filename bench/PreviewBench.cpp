// Times the preview: its first frame, which loads libass; one update (the script of one entry written by the
// converter into memory, and a frame drawn by libass in a 720 x 480 widget); opening it on a source; and stepping to
// the source's last entry.
//
//   preview-bench SOURCE.srt [UPDATES]
//
// Prints "name milliseconds" lines: medians for the update, single runs for the rest.

#include "DialogHost.h"
#include "PreviewFrame.h"
#include "PreviewWindow.h"

#include <QApplication>
#include <QSlider>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class NoDialogs final : public varnuth::DialogHost {
public:
    std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override { return {}; }
    std::optional<std::vector<std::string>> AskOpenFileNames(const std::string&, const std::string&) override
    {
        return {};
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&, bool) override { return {}; }
    std::optional<std::string> AskFolder(const std::string&) override { return {}; }
    std::optional<varnuth::FontChoice> AskFont(const varnuth::FontChoice&, bool) override { return {}; }
    std::optional<std::int32_t> AskColour(std::int32_t) override { return {}; }
    bool AskYesNo(const std::string&) override { return false; }
    [[nodiscard]] varnuth::FontChoice DefaultFont() const override { return {}; }
};

template <typename Action>
double Milliseconds(Action action)
{
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview-bench SOURCE.srt [UPDATES]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int updates = argc > 2 ? std::atoi(argv[2]) : 200;

    PreviewSettings settings;
    settings.style.SetDefaults();
    settings.request.alignCentre = true;
    settings.request.marginLeft = settings.request.marginRight = "10";
    settings.request.marginBottom = "14";
    NoDialogs dialogs;
    PreviewWindow preview([&settings] { return settings; }, dialogs);
    auto* frame = preview.findChild<PreviewFrame*>();
    frame->setFixedSize(720, 480);
    // Showing loads libass and its fonts; the first frame loads the faces it draws with.
    const double load = Milliseconds([&] {
        preview.show();
        QApplication::processEvents();
        preview.updateNow();
    });
    const double open = Milliseconds([&] { preview.setSourceName(QString::fromLocal8Bit(argv[1])); });
    auto* slider = preview.findChild<QSlider*>();
    const double far = Milliseconds([&] {
        slider->setValue(slider->maximum());
        preview.updateNow();
    });

    // Bold on and off in turns, so that every update writes another script and draws another frame.
    std::vector<double> times;
    for (int i = 0; i < updates; ++i) {
        settings.request.boldValue = i % 2 == 0 ? varnuth::CheckState::Checked : varnuth::CheckState::Unchecked;
        times.push_back(Milliseconds([&] { preview.updateNow(); }));
    }
    std::sort(times.begin(), times.end());
    std::printf("frame %dx%d\n", frame->image().width(), frame->image().height());
    std::printf("first-frame %.1f\n", load);
    std::printf("open-source %.1f\n", open);
    std::printf("last-entry %.1f\n", far);
    std::printf("update-median %.2f\n", times[times.size() / 2]);
    return 0;
}
