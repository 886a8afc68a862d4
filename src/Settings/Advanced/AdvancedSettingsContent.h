#pragma once

#include "Settings/SettingsSectionCard.h"

#include <QPointer>

class QLabel;
class QPushButton;

namespace zorbel {

class FeedbackView;

// One permission: its state as an icon, its name and purpose, and while it
// is missing a button that leads to where it is granted.
class PermissionItem : public QFrame {
public:
    PermissionItem(const QString& title, const QString& description, QWidget* parent = nullptr);
    void setGranted(bool granted);
    QPushButton* grantButton() const { return grant_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QLabel* icon_;
    QPushButton* grant_;
    bool granted_ = false;
};

// Whether the program may follow the caret, asked afresh each time the
// section comes on screen and on "检查权限".
class PermissionSection : public SettingsSectionCard {
public:
    explicit PermissionSection(QWidget* parent = nullptr);
    void checkAccessibilityPermission();
    bool accessibilityGranted() const { return accessibilityGranted_; }
    // Opens the desktop's accessibility settings; false (and said below the
    // item) when this desktop has none to open.
    bool openAccessibilitySettings();
    // What to do on a desktop that has no accessibility settings to open.
    static QString noSettingsText(bool withCheckButton = true);

protected:
    void showEvent(QShowEvent* event) override;

private:
    PermissionItem* item_;
    QLabel* openFailure_;
    bool accessibilityGranted_ = false;
};

// Log export and the feedback sheet.
class DebugSection : public SettingsSectionCard {
public:
    explicit DebugSection(QWidget* parent = nullptr);
    void exportLogs();
    void showFeedback();
    const QString& logContent() const { return logContent_; }
    FeedbackView* feedbackView() const;

    // The save panel of an export (free-standing, so it outlives the page);
    // the text written is the one built when the export was asked for.
    static QWidget* runExportPanel(const QString& logContent);

private:
    QString logContent_;
    QPointer<FeedbackView> feedback_;
};

class AboutSection : public SettingsSectionCard {
public:
    explicit AboutSection(QWidget* parent = nullptr);
    // "Zorbel v1.0.0"
    static QString productLine();
};

// The "advanced" page.
class AdvancedSettingsContent : public QWidget {
public:
    explicit AdvancedSettingsContent(QWidget* parent = nullptr);
};

// The current diagnostic text.
QString currentLogText();

}  // namespace zorbel
