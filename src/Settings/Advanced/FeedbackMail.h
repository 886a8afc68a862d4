#pragma once

#include <QString>

#include <functional>

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

// Saves the text to a new file in the private diagnostics folder; the status
// is fileNotWritten when that failed, else mailNotOpened until the mail is.
FeedbackResult saveFeedbackFile(const QString& logContent, double secondsSince1970);
// Asks the desktop to open the feedback mail for a saved file and hands over
// the result once it is known whether a mail program took the link.
void openFeedbackMail(FeedbackResult saved, std::function<void(const FeedbackResult&)> answered);

// The notice after a send that wrote its file: what the user must do next,
// and whether the mail program really took the link.
struct FeedbackNotice {
    QString title;
    QString text;
    bool isWarning = false;
};
FeedbackNotice feedbackNotice(const FeedbackResult& result);

}  // namespace zorbel::diagnostics
