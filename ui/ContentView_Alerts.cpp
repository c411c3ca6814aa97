// The session's "Error" and "Success" alerts.
#include "ui/ContentView.h"

#include "session/ConversionSession.h"

#include <QMessageBox>
#include <QPushButton>

namespace pellacor {

void ContentView::presentAlerts() {
    // One alert at a time; "Error" goes first when both are raised.
    if (alert_) {
        const bool isError = alert_->property("pellacorError").toBool();
        const bool stillWanted = isError ? session_->showError() : session_->showSuccess();
        if (stillWanted)
            return;
        // The flag was reset elsewhere: the alert has nothing left to say.
        QMessageBox* stale = alert_;
        alert_ = nullptr;
        stale->disconnect(this);
        stale->close();
        stale->deleteLater();
    }
    const bool error = session_->showError();
    if (!error && !session_->showSuccess())
        return;

    auto* box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setProperty("pellacorError", error);
    box->setIcon(error ? QMessageBox::Critical : QMessageBox::Information);
    box->setWindowTitle(error ? tr("Error") : tr("Success"));
    // Messages carry file names and system text; they must never be read as markup.
    box->setTextFormat(Qt::PlainText);
    // Every alert says which file it is about, unless its message already does.
    QString text = error ? session_->errorAlertText() : session_->successAlertText();
    const QString& file = error ? session_->errorFileName() : session_->successFileName();
    if (!file.isEmpty() && !text.contains(file))
        text += QStringLiteral("\n\n") + tr("File: %1").arg(file);
    box->setText(text);
    // Text that is not UTF-8 is most often a Windows export: one click reads it so.
    QPushButton* readAs = error && session_->offersWindows1252()
                              ? box->addButton(tr("Read as Windows-1252"), QMessageBox::ActionRole)
                              : nullptr;
    QPushButton* ok = box->addButton(tr("OK"), QMessageBox::AcceptRole);
    box->setDefaultButton(ok);
    box->setEscapeButton(ok);
    box->setWindowModality(Qt::WindowModal);
    alert_ = box;
    connect(box, &QMessageBox::finished, this, [this, box, error, readAs] {
        if (alert_ == box)
            alert_ = nullptr;
        if (readAs && box->clickedButton() == readAs)
            session_->readAsWindows1252();
        else if (error)
            session_->dismissError();
        else
            session_->dismissSuccess();
        presentAlerts();
    });
    box->open();
}

} // namespace pellacor
