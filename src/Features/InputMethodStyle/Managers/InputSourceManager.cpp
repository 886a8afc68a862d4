#include "Features/InputMethodStyle/Managers/InputSourceManager.h"

#include "Caret/Core/Logger.h"
#include "Platform/Console.h"
#include "Platform/Services.h"
#include "Platform/TextForm.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QIcon>

namespace zorbel {

QString InputSourceInfo::makeDisplayName(const QString& name, const std::optional<QString>& inputMode)
{
    if (!inputMode || inputMode->isEmpty()) return name;
    return name + QStringLiteral("（") + *inputMode + QStringLiteral("）");
}

std::vector<InputSourceInfo> InputSourceManager::getAvailableInputSources() const
{
    bool complete = true;
    return getAvailableInputSources(complete);
}

std::vector<InputSourceInfo> InputSourceManager::getAvailableInputSources(bool& complete) const
{
    const platform::InputSourceListing listing = platform::inputSources().enabledSources();
    complete = listing.complete;
    if (listing.sources.empty() && !listing.complete) print(QStringLiteral("[InputSourceManager] Failed to cast input source list"));
    std::vector<InputSourceInfo> result;
    for (const Source& s : listing.sources) {
        if (category(s) != QLatin1String(Source::keyboardCategory) || !s.selectCapable.value_or(false)) continue;
        result.push_back(makeInputSourceInfo(s));
    }
    return result;
}

std::optional<InputSourceInfo> InputSourceManager::currentInputSource() const
{
    const auto current = platform::inputSources().currentKeyboardSource();
    if (!current) return std::nullopt;
    return makeInputSourceInfo(*current);
}

InputSourceInfo InputSourceManager::makeInputSourceInfo(const Source& source) const
{
    InputSourceInfo info;
    info.icon = icon(source);
    info.bundleIdentifier = bundleIdentifier(source);
    info.isCapsLockOn = isCapsLockOn();
    info.inputMode = inputMode(source);
    info.displayName = InputSourceInfo::makeDisplayName(localizedName(source), info.inputMode);
    info.id = sourceID(source);
    info.name = localizedName(source);
    info.sourceLanguages = sourceLanguages(source);
    info.isSelectable = isSelectable(source);
    info.category = category(source);
    return info;
}

namespace {
std::optional<QImage> loadImage(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile()) return std::nullopt;
    QImage image(path);
    if (image.isNull()) return std::nullopt;
    return image;
}
}  // namespace

std::optional<QImage> InputSourceManager::icon(const Source& source) const
{
    // A theme icon stands where other systems hand over an icon reference.
    if (!source.iconName.isEmpty()) {
        const QIcon themed = QIcon::fromTheme(source.iconName);
        if (!themed.isNull()) {
            const QImage image = themed.pixmap(32, 32).toImage();
            if (!image.isNull()) return image;
        }
    }
    if (!source.iconPath.isEmpty()) {
        const QString path = source.iconPath;
        const QFileInfo info(path);
        const QString tiff = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".tiff");
        for (const QString& candidate : {retinaIconPath(path), tiff, path})
            if (auto image = loadImage(candidate)) return image;
    }
    // No artwork of its own is bundled for the symbol names.
    (void)symbolName(source.id);
    return std::nullopt;
}

QString InputSourceManager::retinaIconPath(const QString& path)
{
    const QFileInfo info(path);
    const QString extension = info.suffix();
    if (extension.isEmpty()) return path;
    QString last = info.fileName();
    last.replace(QLatin1Char('.') + extension, QStringLiteral("@2x.") + extension);
    const QString folder = path.left(path.size() - info.fileName().size());
    return folder + last;
}

std::optional<QString> InputSourceManager::symbolName(const QString& sourceID)
{
    static const QHash<QString, QString> table{
        {QStringLiteral("com.apple.CharacterPaletteIM"), QStringLiteral("character.book.closed")}};
    if (auto it = table.constFind(sourceID); it != table.cend()) return *it;
    if (auto it = table.constFind(sha256Hex(sourceID).left(8)); it != table.cend()) return *it;
    return std::nullopt;
}

QString InputSourceManager::sha256Hex(const QString& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::optional<QString> InputSourceManager::bundleIdentifier(const Source& source)
{
    const QString id = sourceID(source);
    if (id.startsWith(QStringLiteral("com.apple."))) return std::nullopt;
    if (id.contains(QLatin1Char('.'))) return id;
    // No source here lives inside an application bundle.
    return std::nullopt;
}

std::optional<QString> InputSourceManager::inputMode(const Source& source)
{
    // The source's own name: every listed source gets its own label.
    const QString name = localizedName(source);
    if (name.isEmpty()) return std::nullopt;
    const QString bundle = bundleIdentifier(source).value_or(QString());
    const bool chinese = bundle.contains(QStringLiteral("com.tencent.inputmethod")) ||
                         bundle.contains(QStringLiteral("com.sogou.inputmethod")) ||
                         bundle.contains(QStringLiteral("com.baidu.inputmethod")) ||
                         sourceID(source).contains(QStringLiteral("SCIM"));
    if (chinese) {
        if (name.contains(QStringLiteral("拼音")) || name.contains(QStringLiteral("中文"))) return QStringLiteral("中");
        if (name.contains(QStringLiteral("英文")) || name.contains(QStringLiteral("English"))) return QStringLiteral("英");
    }
    if (name.size() < 4) return name;
    return std::nullopt;
}

bool InputSourceManager::isCapsLockOn()
{
    const platform::ModifierFlags flags = platform::keyboardState().currentModifierFlags();
    debugPrint(QStringLiteral("🔍 Caps Lock检测: ") + text::boolean(flags.capsLock));
    debugPrint(QStringLiteral("🔍 当前修饰键: ") + platform::describeModifierFlags(flags));
    debugPrint(QStringLiteral("🔍 修饰键原始值: ") + QString::number(platform::modifierFlagsRawValue(flags)));
    return flags.capsLock;
}

}  // namespace zorbel
