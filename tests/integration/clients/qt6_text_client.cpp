// A Qt 6 window with a single-line field above a plain-text view and an OK button; the
// counterpart of gtk3_text.py. Prints "READY <window-xid>" once the window is exposed, so tests wait on
// that line instead of sleeping.
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <optional>

namespace {

struct Options {
  QString title = QStringLiteral("Zorbel Qt 6 client");
  QRect geometry{100, 100, 480, 320};
  bool focusView = false;
};

Options parseOptions(const QApplication& app) {
  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption title("title", "Window title.", "text");
  const QCommandLineOption x("x", "Left edge.", "px"), y("y", "Top edge.", "px");
  const QCommandLineOption width("width", "Width.", "px"), height("height", "Height.", "px");
  const QCommandLineOption focus("focus", "Initially focused widget: entry or view.", "which");
  parser.addOptions({title, x, y, width, height, focus});
  parser.process(app);

  Options options;
  if (parser.isSet(title)) options.title = parser.value(title);
  const auto intOr = [&](const QCommandLineOption& option, int fallback) {
    return parser.isSet(option) ? parser.value(option).toInt() : fallback;
  };
  options.geometry = QRect(intOr(x, 100), intOr(y, 100), intOr(width, 480), intOr(height, 320));
  options.focusView = parser.value(focus) == QLatin1String("view");
  return options;
}

// Exposure, not show(), is when the X server has mapped the window and input can go to it.
class ReadyAnnouncer : public QObject {
 public:
  explicit ReadyAnnouncer(QWidget* window) : window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!announced_ && event->type() == QEvent::Expose && window_->windowHandle()->isExposed()) {
      announced_ = true;
      std::printf("READY %llu\n", static_cast<unsigned long long>(window_->winId()));
      std::fflush(stdout);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* window_;
  bool announced_ = false;
};

// QApplication takes "-title" (also spelled "--title") for itself and removes it from the
// arguments, so the title is read before QApplication sees them.
std::optional<QString> titleArgument(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (qstrcmp(argv[i], "--title") == 0 || qstrcmp(argv[i], "-title") == 0)
      return QString::fromLocal8Bit(argv[i + 1]);
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  const auto title = titleArgument(argc, argv);
  QApplication app(argc, argv);
  // A caret that never blinks can be found on every screenshot.
  QApplication::setCursorFlashTime(0);
  Options options = parseOptions(app);
  if (title) options.title = *title;

  QWidget window;
  window.setWindowTitle(options.title);
  // A fixed face and size keep caret boxes the same from run to run.
  QFont font(QStringLiteral("DejaVu Sans Mono"), 14);
  font.setStyleHint(QFont::Monospace);

  auto* entry = new QLineEdit(&window);
  auto* view = new QTextEdit(&window);
  view->setAcceptRichText(false);
  entry->setFont(font);
  view->setFont(font);

  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(entry);
  layout->addWidget(view, 1);
  layout->addWidget(new QPushButton(QStringLiteral("OK"), &window));

  window.setGeometry(options.geometry);
  window.setFixedSize(options.geometry.size());
  (options.focusView ? static_cast<QWidget*>(view) : entry)->setFocus();

  ReadyAnnouncer announcer(&window);
  window.winId();  // creates the QWindow so the filter can watch it before it is shown
  window.windowHandle()->installEventFilter(&announcer);
  window.show();
  return app.exec();
}
