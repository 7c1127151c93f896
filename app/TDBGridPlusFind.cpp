// The grid's search: what "find next" of the find dialog does to the table.
// Every move is an ordinary navigation call, so the table raises its scroll
// events for each record passed; only the notifications to the controls are
// held back, and the grid repaints once when they resume.
#include <vector>

#include "app/FindDialog.h"
#include "app/MessageBoxes.h"
#include "app/TDBGridPlus.h"
#include "memtable/TField.h"
#include "memtable/TqvrCustomMemTable.h"

namespace {

// Notifications resume even when a scroll event handler throws out of the
// search; a table left suspended would never show a change again.
class SuspendedNotifications {
public:
    explicit SuspendedNotifications(TqvrCustomMemTable& table) : table_(table) {
        table_.SuspendNotifications();
    }
    ~SuspendedNotifications() {
        if (!resumed_) table_.ResumeNotifications();
    }
    void Resume() {
        resumed_ = true;
        table_.ResumeNotifications();
    }
    SuspendedNotifications(const SuspendedNotifications&) = delete;
    SuspendedNotifications& operator=(const SuspendedNotifications&) = delete;

private:
    TqvrCustomMemTable& table_;
    bool resumed_ = false;
};

bool Matches(const QString& value, const QString& pattern, FindDialog::Match kind,
             bool caseSensitive) {
    const QString a = caseSensitive ? value : value.toUpper();
    const QString b = caseSensitive ? pattern : pattern.toUpper();
    switch (kind) {
    case FindDialog::Match::Anywhere:
        return a.contains(b);
    case FindDialog::Match::WholeField:
        return a == b;
    case FindDialog::Match::FieldStart:
        return a.startsWith(b);
    }
    return false;
}

} // namespace

void TDBGridPlus::FindNext(bool reverse) {
    if (!finder_) return;
    FindDialog& dialog = *finder_;
    TqvrCustomMemTable* table = Table();
    const QString text = dialog.Text();
    dialog.AddToHistory(text);
    if (!table) return;

    // The grid has one column; "<All>" searches the same one.
    const int columnChoice = dialog.ColumnChoice();
    std::vector<TField*> columns{columnField_};
    const int last = static_cast<int>(columns.size()) - 1;

    const FindDialog::Direction scope = dialog.Scope();
    bool forward = scope != FindDialog::Direction::Up;
    if (reverse) forward = !forward;
    const bool further = dialog.ContinuesLastSearch(text, scope, forward, columnChoice);
    const FindDialog::Match kind = dialog.MatchKind();
    const bool caseSensitive = dialog.CaseSensitive();

    SuspendedNotifications suspended(*table);

    // Remember a record in the middle of the visible rows, so that a failed
    // search can put the rows back as they were.
    const int shown = RecordsShown();
    const int row = std::max(0, CurrentRowIndex());
    const int d = row + ((shown + 1) % 2) - (shown / 2);
    table->StepBy(-d);
    const TqvrBookmark mark = table->KeepBookmark();
    table->StepBy(d);

    int column = forward ? 0 : last;
    auto advance = [&] {
        if (forward) {
            if (++column <= last) return;
            column = 0;
            table->StepBy(1);
        } else {
            if (--column >= 0) return;
            column = last;
            table->StepBy(-1);
        }
    };

    if (further) {
        column = dialog.LastMatchColumn();
        advance();
    } else if (scope == FindDialog::Direction::All) {
        table->GoFirst();
    }

    bool found = false;
    while (!(forward ? table->AtEnd() : table->AtStart())) {
        TField* field = columns[static_cast<size_t>(column)];
        // Display text and plain text are the same for the text fields a column shows.
        const QString value = field ? QString::fromStdString(field->StringValue()) : QString();
        if (Matches(value, text, kind, caseSensitive)) {
            found = true;
            break;
        }
        advance();
    }

    if (!found) {
        table->ReturnToBookmark(mark);
        table->StepBy(d);
    }
    dialog.RememberSearch(text, scope, forward, columnChoice, found, column);
    suspended.Resume();
    viewport()->update();

    if (!found) MessageBoxes::Information(QStringLiteral("Строка \"%1\" не найдена.").arg(text));
}
