#pragma once

#include <QTableWidget>

// The failed items of a run, name (or picture) and reason, shown after the run;
// rows can be selected and copied as tab-separated lines.
class FailureTable : public QTableWidget
{
    Q_OBJECT

public:
    // itemHeading names the first column: "名称" or "图片".
    FailureTable(const QString &itemHeading, QWidget *parent = nullptr);

    // Empties the table for a new run and hides it.
    void clearFailures();
    // One "failed" report, "<reason>\n<item>"; beyond shownLimit rows only counted.
    void addFailure(const QString &message);
    // Shows the table when the run had failures.
    void showFailures();
    // The selected rows, or all when none is selected, as tab-separated lines.
    QString copiedText() const;

    static constexpr int shownLimit = 10000;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int failures = 0;
};
