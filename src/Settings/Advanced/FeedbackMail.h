#pragma once

#include <QString>

namespace zorbel::diagnostics {

// Every character but the unreserved ones (letters, digits, "-._~") as its
// UTF-8 bytes in %XX form, so a query part never leaks "&", "=", "#", a
// blank or a line break into the address around it.
QString percentEncodeQueryPart(const QString& text);

// "mailto:?subject=...&body=...": a new feedback message without recipient.
QString feedbackMailLink();

// What a send did, for the notice that follows it.
struct FeedbackResult {
    enum class Status { fileNotWritten, mailOpened, mailNotOpened };
    Status status = Status::fileNotWritten;
    QString filePath;    // the saved diagnostic file (empty when none was written)
    QString folderPath;  // the folder it lies in
    QString error;       // why the file could not be written
};

// Saves the text to a new file in the private diagnostics folder, then asks
// the desktop to open the feedback mail. Nothing is opened when the file
// could not be written.
FeedbackResult sendFeedback(const QString& logContent, double secondsSince1970);

// The notice after a send that wrote its file: what the user must do next,
// and whether the mail program really took the link.
struct FeedbackNotice {
    QString title;
    QString text;
    bool isWarning = false;
};
FeedbackNotice feedbackNotice(const FeedbackResult& result);

}  // namespace zorbel::diagnostics
