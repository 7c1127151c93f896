#include "app/FindDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString kAll = QStringLiteral("<All>");
}

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Поиск"));
    setModal(true);

    text_ = new QComboBox(this);
    text_->setEditable(true);
    // The list is ours to keep: a text joins it when it is searched for, not on Enter.
    text_->setInsertPolicy(QComboBox::NoInsert);
    text_->setMinimumWidth(220);
    columns_ = new QComboBox(this);
    match_ = new QComboBox(this);
    match_->addItems({QStringLiteral("С любой части поля"), QStringLiteral("Поля целиком"),
                      QStringLiteral("С начала поля")});
    match_->setCurrentIndex(0);
    scope_ = new QComboBox(this);
    scope_->addItems({QStringLiteral("Вверх"), QStringLiteral("Вниз"), QStringLiteral("Все")});
    scope_->setCurrentIndex(2);
    case_ = new QCheckBox(QStringLiteral("С учетом ре&гистра"), this);
    format_ = new QCheckBox(QStringLiteral("С у&четом формата"), this);
    format_->setChecked(true);
    find_ = new QPushButton(QStringLiteral("На&йти далее"), this);
    find_->setDefault(true);
    close_ = new QPushButton(QStringLiteral("Закрыть"), this);

    auto label = [this](const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("&Образец:"), text_), 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(label(QStringLiteral("&Поиск в:"), columns_), 1, 0);
    grid->addWidget(columns_, 1, 1);
    grid->addWidget(label(QStringLiteral("&Совпадение:"), match_), 2, 0);
    grid->addWidget(match_, 2, 1);
    grid->addWidget(label(QStringLiteral("Прос&мотр:"), scope_), 3, 0);
    grid->addWidget(scope_, 3, 1);
    grid->addWidget(case_, 4, 1);
    grid->addWidget(format_, 5, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(find_);
    buttons->addWidget(close_);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

    text_->lineEdit()->installEventFilter(this);
    connect(find_, &QPushButton::clicked, this,
            [this] { RunFind(QGuiApplication::keyboardModifiers() & Qt::ControlModifier); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void FindDialog::Prepare(const QStringList& columns, const QString& currentColumn) {
    columns_->clear();
    columns_->addItems(columns);
    columns_->addItem(kAll);
    int at = columns.indexOf(currentColumn);
    columns_->setCurrentIndex(at < 0 ? 0 : at);
    text_->setCurrentIndex(-1);
    text_->setEditText(QString());
    text_->setFocus(Qt::OtherFocusReason);
    hasLastMatch_ = false;
}

void FindDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    text_->setFocus(Qt::OtherFocusReason);
}

void FindDialog::keyPressEvent(QKeyEvent* e) {
    // Enter searches, with or without Ctrl (which turns the direction round).
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        RunFind(e->modifiers() & Qt::ControlModifier);
        return;
    }
    QDialog::keyPressEvent(e);
}

bool FindDialog::eventFilter(QObject* watched, QEvent* e) {
    // The text box would keep Enter for itself; here Enter means "find next".
    if (watched == text_->lineEdit() && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            RunFind(k->modifiers() & Qt::ControlModifier);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void FindDialog::RunFind(bool reverse) {
    if (onFind_) onFind_(reverse);
}

QString FindDialog::Text() const {
    return text_->currentText();
}

int FindDialog::ColumnChoice() const {
    int i = columns_->currentIndex();
    return i >= ColumnCount() ? -1 : std::max(i, 0);
}

int FindDialog::ColumnCount() const {
    return std::max(0, columns_->count() - 1);
}

FindDialog::Match FindDialog::MatchKind() const {
    return static_cast<Match>(std::max(0, match_->currentIndex()));
}

FindDialog::Direction FindDialog::Scope() const {
    return static_cast<Direction>(std::max(0, scope_->currentIndex()));
}

bool FindDialog::CaseSensitive() const {
    return case_->isChecked();
}
bool FindDialog::UseFormat() const {
    return format_->isChecked();
}

QStringList FindDialog::History() const {
    QStringList list;
    for (int i = 0; i < text_->count(); ++i) list << text_->itemText(i);
    return list;
}

void FindDialog::AddToHistory(const QString& text) {
    if (text_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) return;
    // Adding to an empty list would make the new entry current; the edit text
    // must stay what the user typed either way.
    const QString typed = text_->currentText();
    text_->addItem(text);
    text_->setEditText(typed);
}

bool FindDialog::ContinuesLastSearch(const QString& text, Direction scope, bool forward,
                                     int column) const {
    return hasLastMatch_ && text == lastText_ && scope == lastScope_ && forward == lastForward_ &&
           column == lastColumn_;
}

void FindDialog::RememberSearch(const QString& text, Direction scope, bool forward, int column,
                                bool matched, int matchColumn) {
    hasLastMatch_ = matched;
    lastText_ = text;
    lastScope_ = scope;
    lastForward_ = forward;
    lastColumn_ = column;
    lastMatchColumn_ = matchColumn;
}
