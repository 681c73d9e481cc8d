#pragma once

struct CommandLine;

// The sheet command: a CSV file or a workbook's sheet in, one PDF of labels out.
int runSheet(const CommandLine &line);

// The sheets command: lists the named label layouts.
int runSheets(const CommandLine &line);
