#pragma once

#include "session/SessionDialogs.h"

#include <QString>

namespace pellacor {

/// Hands the session's dialogs on to the window's own and keeps the file last chosen for
/// import, so that the window can be named after it once its import has succeeded.
class ChoiceRecorder : public SessionDialogs {
public:
    /// Passes every dialog on to `dialogs`, which must outlive the recorder.
    explicit ChoiceRecorder(SessionDialogs& dialogs) : dialogs_(dialogs) {}

    void chooseInputFile(const QStringList& nameFilters,
                         std::function<void(FileChoice)> done) override;
    void chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                          std::function<void(std::optional<QString>)> done) override;

    /// The file last chosen for import, by the chooser or by `record`.
    const QString& lastChosen() const noexcept { return lastChosen_; }
    /// Remembers `path` as chosen for import some other way (dropped on the window).
    void record(const QString& path) { lastChosen_ = path; }

private:
    SessionDialogs& dialogs_;
    QString lastChosen_;
};

} // namespace pellacor
