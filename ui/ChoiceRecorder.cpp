#include "ui/ChoiceRecorder.h"

namespace pellacor {

void ChoiceRecorder::chooseInputFile(const QStringList& nameFilters,
                                     std::function<void(FileChoice)> done) {
    dialogs_.chooseInputFile(nameFilters, [this, done = std::move(done)](FileChoice choice) {
        if (!choice.paths.isEmpty())
            lastChosen_ = choice.paths.first();
        done(std::move(choice));
    });
}

void ChoiceRecorder::chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                                      std::function<void(std::optional<QString>)> done) {
    dialogs_.chooseSaveTarget(proposedName, nameFilters, std::move(done));
}

} // namespace pellacor
