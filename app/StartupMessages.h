#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace pellacor {

/// Watches Qt's messages while the application object is made. Qt aborts with advice to
/// reinstall when it finds no display to open windows on (over SSH, in a container); while
/// this object lives, that ends instead with a message that says what is missing and that
/// `pellacor-convert` converts without a display, and exit status 1. Other messages are held
/// back and passed on when it goes.
class StartupMessages {
public:
    /// Starts holding Qt's messages back.
    StartupMessages();
    /// Passes the held messages on, in order, and lets Qt's messages through again.
    ~StartupMessages();
    StartupMessages(const StartupMessages&) = delete;
    StartupMessages& operator=(const StartupMessages&) = delete;

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QtMessageHandler previous_;
    std::vector<Held> held_;
};

} // namespace pellacor
