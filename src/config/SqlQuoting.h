#pragma once

#include <QString>

// How values and configured names are written into the program's SQL text.

// A value as an SQL text literal: enclosed in single quotes, every apostrophe in it doubled, so
// that no value can end the literal early. A value without an apostrophe is only enclosed.
QString SqlTextLiteral(const QString& value);

// Whether a configured table or column name can be pasted into a statement: a name and nothing
// else, plain, bracketed or qualified by its schema ("Results", "[Test ID]", "dbo.[Results]").
bool IsUsableSqlName(const QString& name);
