#include "AssRenderer.h"

#include <QLibrary>
#include <QRawFont>
#include <QRegularExpression>

#include <ass/ass.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace {

// libass's own default for a script that names neither PlayResX nor PlayResY.
constexpr QSize kAssumedPlayRes(384, 288);
constexpr int kLibassVersion = 9;
// Font selection is reported at the informational level; lower levels are what mpv shows by default.
constexpr int kFontSelectionLevel = 4;
constexpr double kFontSizeForName = 12.0;

// "fontselect: Using default font family: (VNI-Helve, 400, 0) -> /usr/share/fonts/.../DejaVuSans.ttf, 0, DejaVuSans"
const QRegularExpression kReplacement(
    QStringLiteral(R"(^fontselect: Using \w+ font family: \((.+), \d+, \d+\) -> (.+), \d+, [^,]*$)"));

// The family of the font file \p path, as the user knows it from a font list.
QString FamilyOfFile(const QString& path)
{
    const QRawFont font(path, kFontSizeForName);
    return font.isValid() ? font.familyName() : path;
}

// libass's alpha bitmaps in one colour, laid over the frame.
void Blend(const ASS_Image& image, QImage& frame)
{
    const int red = static_cast<int>(image.color >> 24U);
    const int green = static_cast<int>((image.color >> 16U) & 0xFFU);
    const int blue = static_cast<int>((image.color >> 8U) & 0xFFU);
    const int opacity = 255 - static_cast<int>(image.color & 0xFFU);
    const int right = std::min(image.dst_x + image.w, frame.width());
    const int bottom = std::min(image.dst_y + image.h, frame.height());
    for (int y = std::max(image.dst_y, 0); y < bottom; ++y) {
        const unsigned char* coverage = image.bitmap + static_cast<std::ptrdiff_t>(y - image.dst_y) * image.stride;
        auto* pixels = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = std::max(image.dst_x, 0); x < right; ++x) {
            const int alpha = coverage[x - image.dst_x] * opacity / 255;
            if (alpha == 0) {
                continue;
            }
            const QRgb under = pixels[x];
            const auto mix = [alpha](int from, int to) { return from + (to - from) * alpha / 255; };
            pixels[x] = qRgb(mix(qRed(under), red), mix(qGreen(under), green), mix(qBlue(under), blue));
        }
    }
}

} // namespace

/// The shared library, the functions taken from it, and the one library, renderer and track in use.
struct AssRenderer::Library {
    QLibrary file{QStringLiteral("ass"), kLibassVersion};
    decltype(&ass_library_init) libraryInit = nullptr;
    decltype(&ass_library_done) libraryDone = nullptr;
    decltype(&ass_set_message_cb) setMessageCallback = nullptr;
    decltype(&ass_renderer_init) rendererInit = nullptr;
    decltype(&ass_renderer_done) rendererDone = nullptr;
    decltype(&ass_set_fonts) setFonts = nullptr;
    decltype(&ass_set_frame_size) setFrameSize = nullptr;
    decltype(&ass_read_memory) readMemory = nullptr;
    decltype(&ass_free_track) freeTrack = nullptr;
    decltype(&ass_render_frame) renderFrame = nullptr;

    ASS_Library* library = nullptr;
    ASS_Renderer* renderer = nullptr;
    ASS_Track* track = nullptr;

    /// Takes every function from the shared library; false if one is missing.
    bool Resolve()
    {
        const auto take = [this](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(file.resolve(name));
            return function != nullptr;
        };
        return take(libraryInit, "ass_library_init") && take(libraryDone, "ass_library_done")
               && take(setMessageCallback, "ass_set_message_cb") && take(rendererInit, "ass_renderer_init")
               && take(rendererDone, "ass_renderer_done") && take(setFonts, "ass_set_fonts")
               && take(setFrameSize, "ass_set_frame_size") && take(readMemory, "ass_read_memory")
               && take(freeTrack, "ass_free_track") && take(renderFrame, "ass_render_frame");
    }

    ~Library()
    {
        if (track != nullptr) {
            freeTrack(track);
        }
        if (renderer != nullptr) {
            rendererDone(renderer);
        }
        if (library != nullptr) {
            libraryDone(library);
        }
    }
};

std::unique_ptr<AssRenderer> AssRenderer::Load(QString& error)
{
    auto library = std::make_unique<Library>();
    if (!library->file.load() || !library->Resolve()) {
        error = QStringLiteral("The preview needs libass, which could not be loaded: %1").arg(library->file.errorString());
        return nullptr;
    }
    std::unique_ptr<AssRenderer> renderer(new AssRenderer(std::move(library)));
    Library& loaded = *renderer->library_;
    loaded.library = loaded.libraryInit();
    if (loaded.library == nullptr) {
        error = QStringLiteral("The preview needs libass, which could not start.");
        return nullptr;
    }
    // Before the renderer starts, so that libass says nothing on the terminal.
    loaded.setMessageCallback(
        loaded.library,
        [](int level, const char* format, va_list arguments, void* self) {
            char text[1024];
            std::vsnprintf(text, sizeof text, format, arguments);
            static_cast<AssRenderer*>(self)->Hear(level, QString::fromUtf8(text));
        },
        renderer.get());
    loaded.renderer = loaded.rendererInit(loaded.library);
    if (loaded.renderer == nullptr) {
        error = QStringLiteral("The preview needs libass, which could not start.");
        return nullptr;
    }
    loaded.setFonts(loaded.renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    return renderer;
}

AssRenderer::AssRenderer(std::unique_ptr<Library> library) : library_(std::move(library)) {}

AssRenderer::~AssRenderer() = default;

void AssRenderer::Hear(int level, const QString& message)
{
    if (level > kFontSelectionLevel) {
        return;
    }
    const QRegularExpressionMatch replacement = kReplacement.match(message);
    if (replacement.hasMatch()) {
        replacedFaces_.insert(replacement.captured(1), FamilyOfFile(replacement.captured(2)));
    }
}

bool AssRenderer::SetScript(std::string_view script)
{
    if (library_->track != nullptr) {
        library_->freeTrack(library_->track);
    }
    // libass copies what it reads; it only asks for a pointer it may write through.
    std::string copy(script);
    library_->track = library_->readMemory(library_->library, copy.data(), copy.size(), nullptr);
    return library_->track != nullptr && library_->track->n_events > 0;
}

// Without both values libass derives the missing one as it does here.
QSize AssRenderer::PlayRes() const
{
    const ASS_Track* track = library_->track;
    if (track == nullptr || (track->PlayResX <= 0 && track->PlayResY <= 0)) {
        return kAssumedPlayRes;
    }
    if (track->PlayResY <= 0) {
        return {track->PlayResX, track->PlayResX == 1280 ? 1024 : track->PlayResX * 3 / 4};
    }
    if (track->PlayResX <= 0) {
        return {track->PlayResY == 1024 ? 1280 : track->PlayResY * 4 / 3, track->PlayResY};
    }
    return {track->PlayResX, track->PlayResY};
}

void AssRenderer::Draw(QImage& frame)
{
    ASS_Track* track = library_->track;
    if (track == nullptr || track->n_events == 0) {
        return;
    }
    library_->setFrameSize(library_->renderer, frame.width(), frame.height());
    int changed = 0;
    for (const ASS_Image* image = library_->renderFrame(library_->renderer, track, track->events[0].Start, &changed);
         image != nullptr; image = image->next) {
        Blend(*image, frame);
    }
}

QString AssRenderer::FontNote(const QString& family) const
{
    const auto replacement = replacedFaces_.constFind(family);
    if (replacement == replacedFaces_.constEnd()) {
        return {};
    }
    return QStringLiteral("%1 is not installed here; shown with %2").arg(family, *replacement);
}
