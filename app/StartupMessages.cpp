#include "app/StartupMessages.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace pellacor {

namespace {

// The one instance whose handler is installed; Qt's handler is a plain function.
StartupMessages* watching = nullptr;

void print(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

QString formatted(QtMsgType type, const QByteArray& category, const QString& text) {
    return qFormatLogMessage(type, QMessageLogContext(nullptr, 0, nullptr, category.constData()),
                             text);
}

// What the app says when it cannot open a window, from what Qt said on the way.
QString explainNoWindow(const QStringList& qtMessages, const QString& display,
                        const QString& waylandDisplay) {
    QString what;
    if (display.isEmpty() && waylandDisplay.isEmpty()) {
        what = QStringLiteral("pellacor: no display found (DISPLAY and WAYLAND_DISPLAY are not "
                              "set), so the window cannot open.\n");
    } else if (!qtMessages.filter(QStringLiteral("connect to display")).isEmpty()) {
        what = QStringLiteral("pellacor: no display found: cannot connect to the display "
                              "\"%1\", so the window cannot open.\n")
                   .arg(display.isEmpty() ? waylandDisplay : display);
    } else {
        // Some other reason, which Qt's own messages name.
        what = qtMessages.join(u'\n') + QStringLiteral("\npellacor: the window system could not "
                                                       "be started, so the window cannot "
                                                       "open.\n");
    }
    return what + QStringLiteral("pellacor-convert converts a table without a display, for "
                                 "example:\n  pellacor-convert -o output.fasta table.csv\n");
}

} // namespace

StartupMessages::StartupMessages() {
    watching = this;
    previous_ = qInstallMessageHandler(&StartupMessages::handle);
}

StartupMessages::~StartupMessages() {
    qInstallMessageHandler(previous_);
    watching = nullptr;
    // Qt hands back its own default handler when none was installed before.
    for (const Held& message : held_)
        previous_(message.type,
                  QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                  message.text);
}

void StartupMessages::handle(QtMsgType type, const QMessageLogContext& context,
                             const QString& text) {
    if (!watching)
        return;
    if (type != QtFatalMsg) {
        watching->held_.push_back({type, QByteArray(context.category), text});
        return;
    }
    // Qt gives up here and would abort; say what is wrong instead and leave with status 1.
    QStringList qtMessages;
    for (const Held& message : watching->held_)
        qtMessages << formatted(message.type, message.category, message.text);
    if (qtMessages.isEmpty())
        qtMessages << text;
    print(explainNoWindow(qtMessages, qEnvironmentVariable("DISPLAY"),
                          qEnvironmentVariable("WAYLAND_DISPLAY")));
    // The application object is half made and must not be torn down: leave at once.
    std::_Exit(1);
}

} // namespace pellacor
