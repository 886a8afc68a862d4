// Debian's own editors, whose accessibility differs from the test clients' and from each
// other's. At each step of typing (an empty document, the end of a line, mid-line, after a
// newline) the tracker's point lies on the caret the editor draws on screen.
#include <gtest/gtest.h>

#include <QLineF>
#include <QString>

#include <memory>

#include "support/AccessibilityProbe.h"
#include "support/DebianApplication.h"
#include "support/DesktopTools.h"
#include "support/DrawnCaret.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TrackedCaret.h"

namespace zorbel::integration {
namespace {

constexpr double kTolerance = 3.0;
constexpr qint64 kQuiet = 600;  // ms

class EditorsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    tracked_.reset();
    editor_.reset();
    resetSharedInstances();
    services_.reset();
  }

  // Starts the editor and activates its window; then the program's services start and the
  // caret is tracked, as when the user starts the program while typing: nothing was heard of
  // the editor's focus. (Each test runs in a process of its own.)
  void open(std::unique_ptr<DebianApplication> editor, const QStringList& arguments,
            std::chrono::milliseconds startTimeout = std::chrono::seconds(20)) {
    editor_ = std::move(editor);
    editor_->start(arguments);
    waitForWindow(startTimeout);
  }
  void waitForWindow(std::chrono::milliseconds startTimeout, const QString& title = {}) {
    window_ = editor_->waitForWindow(startTimeout, title);
    ASSERT_TRUE(window_) << "the editor shows a window on the accessibility desktop";
    ASSERT_TRUE(activateWindow(window_));
    // The editor hands the focus on a moment after its window is active (Geany to its text in
    // about 0.3 s, LibreOffice to its document's panel in 2 to 3 s; KWrite's view has it at once).
    ASSERT_TRUE(pollUntil([&] { return focusedElement(editor_->pid()).has_value(); }, 15s))
        << "an element of the editor takes the focus";
    services_ = std::make_unique<LinuxServices>();
    tracked_ = std::make_unique<TrackedCaret>();
  }

  // The settled point lies on the caret drawn in the editor's window. After a step that moves
  // the caret (the publications counted before it in `before`), a new point is awaited first:
  // under load the step may reach the tracker later than the point takes to settle.
  void expectOnDrawnCaret(const char* step, std::optional<int> before = std::nullopt) {
    if (before) {
      EXPECT_TRUE(pollUntil([&] { return tracked_->publications() > *before; }, 10s)) << step << ": a new point";
    }
    const auto frame = windowGeometry(window_);
    const auto p = tracked_->settledPoint(kQuiet);
    ASSERT_TRUE(frame && p) << step << ": point " << describe(p);
    const auto drawn = drawnCaret(QRectF(p->x(), p->y() - 9, 0, 18), *frame);
    ASSERT_TRUE(drawn) << step << ": no caret drawn near the published point " << describe(p);
    const QPointF middle(drawn->x(), drawn->y() + drawn->height() / 2.0);
    EXPECT_LE(atMiddle_ ? QLineF(*p, middle).length() : distanceToCaret(*p, *drawn), kTolerance)
        << step << ": point " << describe(p) << ", caret drawn at x=" << drawn->x() << " from y=" << drawn->y()
        << " to y=" << drawn->y() + drawn->height();
  }

  // An empty document, a typed line, the caret moved back into it, a new line.
  void typeThroughTheSteps() {
    expectOnDrawnCaret("empty document");
    int before = tracked_->publications();
    ASSERT_TRUE(typeText(QStringLiteral("x")));
    expectOnDrawnCaret("the first key", before);
    before = tracked_->publications();
    ASSERT_TRUE(typeText(QStringLiteral("xxx xx")));
    expectOnDrawnCaret("end of the line", before);
    before = tracked_->publications();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(pressKeys(QStringLiteral("Left")));
    expectOnDrawnCaret("mid-line", before);
    before = tracked_->publications();
    ASSERT_TRUE(pressKeys(QStringLiteral("End")));
    ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
    expectOnDrawnCaret("after a newline", before);
  }

  std::unique_ptr<LinuxServices> services_;
  std::unique_ptr<DebianApplication> editor_;
  std::unique_ptr<TrackedCaret> tracked_;
  quint64 window_ = 0;
  // The point is to be at the caret's middle, not anywhere along it.
  bool atMiddle_ = false;
};

// Scintilla's caret events carry the offset where the typed character went in, one behind
// the caret; the element itself answers the caret's offset.
TEST_F(EditorsTest, GeanyCaretAfterTyping) {
  auto geany = std::make_unique<DebianApplication>(QStringLiteral("geany"), QStringList{QStringLiteral("-i")});
  geany->write(QStringLiteral("empty.txt"), {});
  const QString file = geany->home() + QStringLiteral("/empty.txt");
  ASSERT_NO_FATAL_FAILURE(open(std::move(geany), {file}));
  typeThroughTheSteps();
  // Key by key, so the program has judged the caret events of several edits: it must go on
  // asking the element, never fall back to the events.
  for (int i = 0; i < 4; ++i) {
    const int before = tracked_->publications();
    ASSERT_TRUE(typeText(QStringLiteral("y")));
    expectOnDrawnCaret("typed key by key", before);
  }
}

// KTextEditor's view takes text without the editable-text interface, and answers character
// boxes without height, measured from the left edge of its line-number border: a document of
// one line tells no line height, and the point is still at the caret's middle.
TEST_F(EditorsTest, KWriteCaretFromBoxesWithoutHeight) {
  atMiddle_ = true;
  auto kwrite = std::make_unique<DebianApplication>(QStringLiteral("kwrite"), QStringList{});
  kwrite->write(QStringLiteral("empty.txt"), {});
  const QString file = kwrite->home() + QStringLiteral("/empty.txt");
  ASSERT_NO_FATAL_FAILURE(open(std::move(kwrite), {file}));
  typeThroughTheSteps();
}

// JuffEd, a Qt 5 editor on QScintilla, answers the box of the document's first character for
// every offset: its boxes are noticed to be wrong, and the caret is placed from the offsets it
// answers at points. Lines above the caret make the wrong boxes show; their letters have no
// tall strokes, so a point left on the first line finds no caret drawn there.
TEST_F(EditorsTest, JuffedCaretDespiteWrongBoxes) {
  auto juffed = std::make_unique<DebianApplication>(QStringLiteral("juffed"), QStringList{},
                                                    QStringList{QStringLiteral("QT_ACCESSIBILITY=1")});
  juffed->write(QStringLiteral("lines.txt"), "seven waves\nocean or sea\n");
  const QString file = juffed->home() + QStringLiteral("/lines.txt");
  ASSERT_NO_FATAL_FAILURE(open(std::move(juffed), {file}));
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+End")));
  typeThroughTheSteps();
  // At the text's start its one box is right: that alone does not make its boxes believed.
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Home")));
  expectOnDrawnCaret("the text's start");
  ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+End")));
  expectOnDrawnCaret("back at the end");
}

// LibreOffice Writer with its GTK 3 look, a new document, its profile set up beforehand.
std::unique_ptr<DebianApplication> startWriter() {
  auto writer = std::make_unique<DebianApplication>(QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"),
                                                    QStringList{}, QStringList{QStringLiteral("SAL_USE_VCLPLUGIN=gtk3")});
  // A profile that has seen this version: no tip of the day, no first-start bar.
  writer->write(QStringLiteral("profile/user/registrymodifications.xcu"), R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>7.4</value></prop></item>
</oor:items>
)");
  const QString profile = QStringLiteral("-env:UserInstallation=file://") + writer->home() + QStringLiteral("/profile");
  // It asks to be started again (status 81) once it has set up a new profile.
  writer->start({QStringLiteral("--writer"), QStringLiteral("--norestore"), profile}, 81);
  return writer;
}

// LibreOffice Writer on GTK 3: the caret is in an editable paragraph, found through the
// document that manages its descendants, and placed by boxes that leave out GTK's menu bar.
TEST_F(EditorsTest, LibreOfficeWriterParagraphs) {
  editor_ = startWriter();
  ASSERT_NO_FATAL_FAILURE(waitForWindow(std::chrono::seconds(60), QStringLiteral("LibreOffice Writer")));
  typeThroughTheSteps();
}

// The program runs before Writer starts: Writer's paragraph cannot answer at first, while it
// is still setting up, and the caret is found later without a key.
TEST_F(EditorsTest, LibreOfficeWriterNewDocumentWithoutKey) {
  services_ = std::make_unique<LinuxServices>();
  tracked_ = std::make_unique<TrackedCaret>();
  editor_ = startWriter();
  window_ = editor_->waitForWindow(std::chrono::seconds(60), QStringLiteral("LibreOffice Writer"));
  ASSERT_TRUE(window_) << "Writer shows its window";
  ASSERT_TRUE(activateWindow(window_));
  ASSERT_TRUE(pollUntil([&] { return tracked_->latest().has_value(); }, std::chrono::seconds(20)))
      << "a caret is published without a key";
  expectOnDrawnCaret("new document, no key");
}

}  // namespace
}  // namespace zorbel::integration
