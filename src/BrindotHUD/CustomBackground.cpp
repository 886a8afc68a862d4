#include "BrindotHUD/CustomBackground.h"

#include "Caret/Core/Logger.h"
#include "Platform/SafeFiles.h"
#include "Platform/Services.h"

#include <QFileInfo>

namespace zorbel {

PictureFile::PictureFile(const QString& path)
{
    auto file = platform::files::readRegularFile(path, maximumBytes);
    if (!file.ok()) {
        problem_ = QStringLiteral("it ") + file.problem;
        return;
    }
    bytes_ = std::move(file.bytes);
    buffer_.setData(bytes_);
    buffer_.open(QIODevice::ReadOnly);
    reader_.setDevice(&buffer_);
}

CustomBackground& CustomBackground::shared() { return sharedInstance<CustomBackground>(); }

CustomBackground::Result CustomBackground::load(const QString& path)
{
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (entry_ && entry_->path == path && entry_->size == size && entry_->modified == modified) return entry_->result;
    entry_ = Entry{path, size, modified, decode(path)};
    return entry_->result;
}

CustomBackground::Result CustomBackground::decode(const QString& path)
{
    ++decodeCount_;
    const bool gif = QFileInfo(path).suffix().toLower() == QLatin1String("gif");
    const Outcome failed = gif ? Outcome::unreadableGif : Outcome::unreadableImage;
    PictureFile file(path);
    QString problem = file.problem();
    if (problem.isEmpty()) {
        QImageReader& reader = file.reader();
        const QSize pixels = reader.size();
        if (!reader.canRead()) {
            problem = reader.errorString();
        } else if (pixels.isValid() && static_cast<qint64>(pixels.width()) * pixels.height() > maxPixels) {
            problem =
                QStringLiteral("the picture is %1 × %2 pixels, too large").arg(pixels.width()).arg(pixels.height());
        } else {
            QImage image = reader.read();  // the first frame of a GIF
            if (!image.isNull()) return {Outcome::image, image};
            problem = reader.errorString();
        }
    }
    Logger::shared().warning(QStringLiteral("HUD background image \"") + path + QStringLiteral("\" cannot be shown (") +
                                 problem + QStringLiteral("); the plain background is used"),
                             ZHERE("drawBackground(in:context:)"));
    return {failed, {}};
}

}  // namespace zorbel
