#pragma once

#include "ProductConfig.h"

#include <QStringList>
#include <functional>

// The section of ATE.INI that lists the products and test IDs.
inline const QString kATEConfiguration = QStringLiteral("ATE Configuration");

class EventPump;
struct SharedState;

// Reading a product's definition and opening its database, the same for the main window and
// the headless commands.

// The product's column mapping and parameter specifications from PRODUCTS.INI into state
// (gTestIDField to gPassIdentical; gParameterField, gLSL, gUSL, gUnit and the display names
// gParameterName, one per parameter read). Returns the list as read: its parameters give the
// list texts, its outcome says whether it read to its end. perLine as ReadSpecificationList.
SpecificationList LoadProductDefinition(SharedState& state, const QString& productsIni, const QString& product,
                                        const std::function<void()>& perLine = {});

// Why a configuration folder offers no products, for a message: the missing ATE.INI or
// PRODUCTS.INI, or what keeps TestProduct in section ATE Configuration of ATE.INI from being read
// (see MissingINIValue); "" when the folder offers products.
QString ProductListProblem(const QString& folder);

// The product's database opened on state.gConnection (gTableName and gDatabaseType set) and its
// sources (the distinct non-empty values of the source column) in case-insensitive order. A
// configured name that cannot go into SQL text (UnusableSqlConfiguration) is refused first.
struct ProductDatabase
{
    bool opened = false;
    QStringList sources;
    QString message;      // when not opened: what the user is told, an engine's description ending in "!"
    QStringList warnings; // when opened: what the user must know about the records read (files skipped)
};
ProductDatabase OpenProductDatabase(SharedState& state, const QString& ateIni, const QString& productsIni,
                                    const QString& product, const EventPump& pump);
