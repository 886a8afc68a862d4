#pragma once

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <optional>

namespace zorbel {

// A picture file read into memory the safe way (a regular file only, never
// blocking on a FIFO, at most `maximumBytes`), with an image reader over those
// bytes: QImageReader given a path opens it itself and waits on a FIFO.
class PictureFile {
public:
    explicit PictureFile(const QString& path);
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    // Why the file cannot be read ("it is a folder, not a file"); empty when read.
    const QString& problem() const { return problem_; }
    QImageReader& reader() { return reader_; }

    static constexpr qint64 maximumBytes = 64 * 1024 * 1024;

private:
    QByteArray bytes_;
    QBuffer buffer_;
    QImageReader reader_;
    QString problem_;
};

// The custom background image of the HUD, decoded once per file and change
// of that file (its size or modification time), not at every repaint. A GIF
// shows its first frame. A file that cannot be decoded, or whose picture is
// too large to decode safely, is reported once with a WARNING.
class CustomBackground {
public:
    static CustomBackground& shared();

    enum class Outcome { image, unreadableImage, unreadableGif };
    struct Result {
        Outcome outcome = Outcome::unreadableImage;
        QImage image;
    };
    Result load(const QString& path);

    // Pictures larger than this many pixels are refused (a 8K by 8K image is
    // 64 million pixels, 256 MB decoded).
    static constexpr qint64 maxPixels = 40'000'000;
    int decodeCount() const { return decodeCount_; }

private:
    struct Entry {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        Result result;
    };
    Result decode(const QString& path);
    std::optional<Entry> entry_;
    int decodeCount_ = 0;
};

}  // namespace zorbel
