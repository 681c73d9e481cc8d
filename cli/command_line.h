#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

struct CommandLine;

// One sub-command: its words after the program name and the function that runs it.
struct Command
{
    QString name;
    QStringList arguments; // shown in the usage text, one per required argument
    QStringList flags;     // optional switches such as "--excel"
    QStringList options;   // optional switches with a value, as shown: "--logo <图片>"
    QString summary;
    int (*run)(const CommandLine &line);
};

// What the words of one call ask for.
struct CommandLine
{
    enum Action { Run, Help, Version, UsageError };
    Action action = UsageError;
    const Command *command = nullptr;
    QStringList arguments;
    QStringList flags;
    QMap<QString, QString> options; // by switch, "--logo"; the last one given counts
    QString error; // Chinese, for UsageError
};

CommandLine parseCommandLine(const QStringList &words, const QVector<Command> &commands);

// The Chinese usage text listing every command.
QString usageText(const QVector<Command> &commands);
