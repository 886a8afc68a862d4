#pragma once

#include "Platform/UserDefaults.h"

#include <map>
#include <memory>

namespace zorbel::platform {

// One settings domain kept in an INI file. The file is read once, when the
// domain is opened; each write reads it again when another program has
// written it since (keeping what that program wrote), applies the change and replaces the file in one rename once the new
// text is checked on the disk, so neither a crash nor a full disk leaves half
// a file; a change that could not be saved stays in force and goes with the
// next write. A file damaged anywhere is known before any key is
// used: its trusted lines are read, and its bytes are kept beside it before the
// first write replaces it. A path that is no regular file (a FIFO, a device, a
// folder) is never opened, and a file that cannot be read is never replaced.
class IniUserDefaults final : public UserDefaults {
public:
    explicit IniUserDefaults(QString filePath);

    std::optional<QVariant> object(const QString& key) const override;
    bool setObject(const QString& key, const QVariant& value) override;
    bool setObjects(const std::map<QString, QVariant>& values) override;
    bool removeObject(const QString& key) override;
    QStringList keys() const override;

    QString filePath() const { return path_; }

    using Values = std::map<QString, QVariant>;
    // Far above any real settings file; a larger one is neither read nor replaced.
    static constexpr qint64 maximumFileSize = 64 * 1024 * 1024;

private:
    enum class State { absent, sound, damaged, unreadable };
    struct Contents {
        State state = State::absent;
        QByteArray bytes;
        Values values;
        int firstDamagedLine = 0;
        QString problem;  // why it cannot be read
    };

    Contents readFile() const;
    Contents parse(Contents contents) const;
    using Changes = std::map<QString, std::optional<QVariant>>;  // nothing: removed
    bool change(const Changes& changes);
    bool keepDamagedBytes(const QByteArray& bytes);
    bool replaceFile(const QByteArray& text);
    void remember(const Contents& contents);
    void reportFailure(const QString& reason);

    QString path_;
    Values values_;
    Changes unsaved_;                                     // changes not on the disk yet
    QString reported_;                                    // the failure last reported
    QByteArray keptBytes_;
    bool kept_ = false;
    // The file's bytes as this domain last read or wrote them, whole and sound:
    // while the file still holds them, `values_` is what it says, and a write
    // compares instead of parsing it again (parsing a large file made every
    // write slow). Bytes, not times: a file rewritten in place within one tick
    // of the clock keeps its time and size.
    std::optional<QByteArray> known_;
};

// Domains under a folder (by default $XDG_CONFIG_HOME/zorbel): the standard
// domain in "defaults.ini", each suite in "<suite name>.ini".
class IniUserDefaultsProvider final : public UserDefaultsProvider {
public:
    explicit IniUserDefaultsProvider(QString folder = defaultFolder());
    UserDefaults& standard() override;
    UserDefaults* suite(const QString& name) override;

    static QString defaultFolder();

private:
    QString folder_;
    std::unique_ptr<IniUserDefaults> standard_;
    std::map<QString, std::unique_ptr<IniUserDefaults>> suites_;
};

}  // namespace zorbel::platform
