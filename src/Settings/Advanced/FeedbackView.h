#pragma once

#include "Settings/Advanced/FeedbackMail.h"

#include <QDialog>

class QLabel;

namespace zorbel {

// The feedback sheet: previews the diagnostic text, saves it to a private
// file and opens a feedback mail; the notice that follows says where the
// file lies and whether a mail program took the mail.
class FeedbackView : public QDialog {
public:
    FeedbackView(QString logContent, QWidget* parent = nullptr);
    const QString& logContent() const { return logContent_; }
    void sendFeedback();

    // The notice a second after a send; it does not depend on the sheet or
    // the window, which may be gone by then.
    static QWidget* showMailOpenedAlert(const diagnostics::FeedbackResult& result);

private:
    QString logContent_;
    QLabel* failure_;
};

}  // namespace zorbel
