// The find dialog "Поиск" of the work list grid. It only holds the search
// settings and the list of texts searched for; the grid runs the search. It is
// made once and kept, so its choices and history last for the whole run, and
// it remembers the last search so that "find next" can go on past a match.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Match { Anywhere, WholeField, FieldStart };
    enum class Direction { Up, Down, All };

    explicit FindDialog(QWidget* parent = nullptr);

    /// Called with `reverse` true when Ctrl was held as the search was asked for.
    void SetFindHandler(std::function<void(bool reverse)> handler) { onFind_ = std::move(handler); }

    /// Readies the dialog for an opening: empties the text, lists `columns` and
    /// "<All>", chooses `currentColumn`, and forgets the last match.
    void Prepare(const QStringList& columns, const QString& currentColumn);

    QString Text() const;
    /// Index into the listed columns; -1 for "<All>".
    int ColumnChoice() const;
    int ColumnCount() const;
    Match MatchKind() const;
    Direction Scope() const;
    bool CaseSensitive() const;
    bool UseFormat() const;
    QStringList History() const;
    void AddToHistory(const QString& text);

    /// Whether a search with these settings goes on from the last match.
    bool ContinuesLastSearch(const QString& text, Direction scope, bool forward, int column) const;
    /// Notes how a search ended; `matchColumn` is the column index it matched in.
    void RememberSearch(const QString& text, Direction scope, bool forward, int column,
                        bool matched, int matchColumn);
    int LastMatchColumn() const { return lastMatchColumn_; }

    // The controls, for tests and the layout.
    QComboBox* TextBox() const { return text_; }
    QComboBox* ColumnBox() const { return columns_; }
    QComboBox* MatchBox() const { return match_; }
    QComboBox* ScopeBox() const { return scope_; }
    QCheckBox* CaseBox() const { return case_; }
    QCheckBox* FormatBox() const { return format_; }
    QPushButton* FindButton() const { return find_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void RunFind(bool reverse);

    QComboBox* text_;
    QComboBox* columns_;
    QComboBox* match_;
    QComboBox* scope_;
    QCheckBox* case_;
    QCheckBox* format_;
    QPushButton* find_;
    QPushButton* close_;
    std::function<void(bool)> onFind_;

    bool hasLastMatch_ = false;
    QString lastText_;
    Direction lastScope_ = Direction::All;
    bool lastForward_ = true;
    int lastColumn_ = 0;
    int lastMatchColumn_ = 0;
};
