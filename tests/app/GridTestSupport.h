// Shared set-up for the grid and label tests: a work table like the window's,
// bound to a grid shown on the offscreen platform, and a recorder of every
// event the table raises, so that a test can say exactly which calls a key or
// a click caused.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/MessageBoxes.h"
#include "app/TDBGridPlus.h"
#include "catalogue/WorkList.h"
#include "memtable/TDataSource.h"
#include "memtable/TField.h"
#include "memtable/TqvrMemTable.h"

using EventLog = std::vector<std::string>;

/// Writes the name of every event of `table` into `log`.
inline void RecordEvents(TDataSet& table, EventLog& log) {
    auto add = [&log](const char* name) {
        return [&log, name](TDataSet&) { log.emplace_back(name); };
    };
    table.BeforeScroll = add("BeforeScroll");
    table.AfterScroll = add("AfterScroll");
    table.BeforeInsert = add("BeforeInsert");
    table.AfterInsert = add("AfterInsert");
    table.BeforeEdit = add("BeforeEdit");
    table.AfterEdit = add("AfterEdit");
    table.BeforePost = add("BeforePost");
    table.AfterPost = add("AfterPost");
    table.BeforeCancel = add("BeforeCancel");
    table.AfterCancel = add("AfterCancel");
    table.BeforeDelete = add("BeforeDelete");
    table.AfterDelete = add("AfterDelete");
    table.BeforeRefresh = add("BeforeRefresh");
    table.AfterRefresh = add("AfterRefresh");
}

/// "W00001", "W00002", ...: IDs that sort in the order they are numbered.
inline std::string WorkId(int n) {
    std::string digits = std::to_string(n);
    return "W" + std::string(digits.size() < 5 ? 5 - digits.size() : 0, '0') + digits;
}

/// Fills an open work table with `count` works and sorts it by ID.
inline void FillWorks(TqvrMemTable& table, int count) {
    for (int i = 1; i <= count; ++i) {
        table.Insert();
        table.FieldNamed("ID").SetStringValue(WorkId(i));
        table.FieldNamed("pathWork").SetStringValue("/works/" + WorkId(i) + "/");
        table.Post();
    }
    table.ApplySort();
    table.GoFirst();
}

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBoxes::ClearShownBoxes();
        MessageBoxes::ClearNextAnswers();
        zenor::ConfigureWorkTable(table_);
        source_.SetDataSet(&table_);
        window_.resize(300, 320);
        grid_ = new TDBGridPlus(&window_);
        grid_->setGeometry(10, 10, 140, 260);
        other_ = new QWidget(&window_);
        other_->setFocusPolicy(Qt::StrongFocus);
        other_->setGeometry(200, 10, 50, 20);
        grid_->SetDataSource(&source_);
        window_.show();
        grid_->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override {
        EXPECT_EQ(MessageBoxes::PendingAnswers(), 0u);
        MessageBoxes::ClearNextAnswers();
    }

    /// Fills the table and starts recording from the first work.
    void Works(int count) {
        FillWorks(table_, count);
        QApplication::processEvents();
        RecordEvents(table_, log_);
    }
    std::string CurrentId() const { return table_.FieldNamed("ID").StringValue(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(grid_, key, mods);
    }
    EventLog Take() {
        EventLog out;
        out.swap(log_);
        return out;
    }
    QPoint RowPoint(int row) const { return grid_->DataCellRect(row).center(); }

    EventLog log_; // declared first: the table's handlers write into it to the end
    TqvrMemTable table_{"tblWork"};
    TDataSource source_;
    QWidget window_;
    TDBGridPlus* grid_ = nullptr;
    QWidget* other_ = nullptr;
};

inline const EventLog kMoved{"BeforeScroll", "AfterScroll"};
inline const EventLog kStopped{"BeforeScroll"};
inline const EventLog kNothing{};
