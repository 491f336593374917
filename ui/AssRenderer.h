#pragma once

#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <string_view>

/// libass, loaded from its shared library only when a preview first needs it, drawing one script at a time as
/// players draw it.
class AssRenderer {
public:
    /// Loads libass and sets up its fonts as mpv does; nullptr, with the reason in \p error, when it cannot.
    [[nodiscard]] static std::unique_ptr<AssRenderer> Load(QString& error);
    AssRenderer(const AssRenderer&) = delete;
    AssRenderer& operator=(const AssRenderer&) = delete;
    ~AssRenderer();

    /// Reads \p script in place of the one read before; false if libass finds nothing to show in it.
    bool SetScript(std::string_view script);

    /// The frame the script is laid out in (its PlayResX and PlayResY, or what libass assumes without them).
    [[nodiscard]] QSize PlayRes() const;

    /// Draws the script's first subtitle, at its start time, over \p frame, scaled to the frame's size.
    void Draw(QImage& frame);

    /// "FACE is not installed here; shown with OTHER" when libass replaced the face \p family, else empty.
    [[nodiscard]] QString FontNote(const QString& family) const;

private:
    struct Library;
    explicit AssRenderer(std::unique_ptr<Library> library);
    void Hear(int level, const QString& message);

    std::unique_ptr<Library> library_;
    // Each face libass could not find, and the one it took instead; libass says so only the first time it looks.
    QHash<QString, QString> replacedFaces_;
};
