#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pellacor {

/// What the file chooser reported when it closed: the chosen files in order, or its failure.
struct FileChoice {
    /// The chosen files; empty when the user chose nothing.
    QStringList paths;
    /// The chooser's own description of why it failed; absent when it did not fail.
    std::optional<QString> failure;

    /// A chooser that closed with `chosen` (possibly empty).
    static FileChoice chosen(QStringList chosen) { return {std::move(chosen), std::nullopt}; }
    /// A chooser that failed with `description`.
    static FileChoice failed(QString description) { return {{}, std::move(description)}; }
};

/// The dialogs a conversion session needs from its window. The window implements them with
/// QFileDialog (modal or not); tests replace them. Each call must end in exactly one call of
/// `done`, possibly before the call returns, and always on the UI thread.
class SessionDialogs {
public:
    virtual ~SessionDialogs() = default;

    /// Lets the user pick one input file, offering `nameFilters` (QFileDialog filter strings,
    /// the first one selected); reports the choice, or the chooser's failure, to `done`.
    virtual void chooseInputFile(const QStringList& nameFilters,
                                 std::function<void(FileChoice)> done) = 0;

    /// Lets the user pick where to save, proposing the file name `proposedName` and offering
    /// `nameFilters`; reports the chosen path to `done`, or std::nullopt when cancelled.
    virtual void chooseSaveTarget(const QString& proposedName, const QStringList& nameFilters,
                                  std::function<void(std::optional<QString>)> done) = 0;
};

} // namespace pellacor
