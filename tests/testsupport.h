#pragma once
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A fresh program folder holding a database made from data/schema.sql, with the shell's state
// reset and the dialogs scripted. Destroying it closes the database.
class TestProgram {
public:
    // withSchema false leaves the folder without a database file.
    explicit TestProgram(bool withSchema = true, bool runStartup = true);
    ~TestProgram();
    QString folder() const { return m_dir.path(); }
    QString dbPath() const { return m_dir.path() + QStringLiteral("/norvik.db3"); }
    // Runs SQL straight on the file, outside the program (set-up and checks).
    static void exec(const QString &dbPath, const QString &sql);
    void exec(const QString &sql) const { exec(dbPath(), sql); }
    // First column of the first row, as text ("" for none or Null).
    QString scalar(const QString &sql) const;

private:
    QTemporaryDir m_dir;
};

// A printout's page head at 7 points, written out in full: it must match to the last blank.
extern const QString kPageHead7;
// The 22-point heading tag and the grid table tag of a printout.
extern const QString kHeadingFont;
extern const QString kGridTable;

// The prompts of every box shown since the last reset, in order.
QStringList prompts();

// Creates an SQLite file from the installed schema.
void createSchemaDatabase(const QString &path);
// Resets every shared value of the shell to its start-of-run state.
void resetShellState();
