#include "ProductSetup.h"

#include "DatabaseChoice.h"
#include "EventPump.h"
#include "FileNames.h"
#include "ProfileReader.h"
#include "Recordset.h"
#include "SharedState.h"

#include <QDir>
#include <algorithm>

SpecificationList LoadProductDefinition(SharedState& state, const QString& productsIni, const QString& product,
                                        const std::function<void()>& perLine)
{
    const ColumnMapping mapping = ReadColumnMapping(productsIni, product);
    state.gTestIDField = mapping.testIDField;
    state.gTestStartTimeField = mapping.testStartTimeField;
    state.gSerialNumberField = mapping.serialNumberField;
    state.gPassFailField = mapping.passFailField;
    state.gATEIDField = mapping.ateIDField;
    state.gPassIdentical = mapping.passIdentical;

    state.gParameterField.clear();
    state.gUSL.clear();
    state.gLSL.clear();
    state.gUnit.clear();
    state.gParameterName.clear();
    SpecificationList list = ReadSpecificationList(productsIni, product, perLine);
    for (const ParameterSpec& spec : list.parameters) {
        state.gParameterField.append(spec.field);
        state.gLSL.append(spec.lsl);
        state.gUSL.append(spec.usl);
        state.gUnit.append(spec.unit);
        state.gParameterName.append(spec.name);
    }
    return list;
}

QString ProductListProblem(const QString& folder)
{
    for (const QString& name : {QStringLiteral("ATE.INI"), QStringLiteral("PRODUCTS.INI")}) {
        if (FindFileNoCase(folder, name).isEmpty()) {
            return QStringLiteral("there is no %1 in %2").arg(name, QDir::toNativeSeparators(folder));
        }
    }
    return MissingINIValue(kATEConfiguration, QStringLiteral("TestProduct"),
                           FindFileNoCase(folder, QStringLiteral("ATE.INI")));
}

ProductDatabase OpenProductDatabase(SharedState& state, const QString& ateIni, const QString& productsIni,
                                    const QString& product, const EventPump& pump)
{
    ProductDatabase result;
    state.gTableName.clear();
    state.gDatabaseType.clear();
    const auto database = [&ateIni](const char* key) {
        return ReadINI(QStringLiteral("Database"), QLatin1String(key), ateIni);
    };
    const DatabaseSettings settings{database("DatabaseName"), database("DataSourceName"), database("UserName"),
                                    database("Password"), database("ServerName")};
    const QString table = ReadINI(product, QStringLiteral("TableName"), productsIni);
    result.message = UnusableSqlConfiguration(productsIni, product);
    if (!result.message.isEmpty()) {
        return result;
    }
    const DatabaseChoice choice = ChooseDatabase(settings, product, table);
    state.gTableName = choice.tableName;
    if (!choice.error.isEmpty()) {
        result.message = choice.error;
        return result;
    }
    if (!state.gConnection->open(choice.connectionText)) {
        result.message = state.gConnection->lastError() + QLatin1Char('!');
        return result;
    }
    state.gDatabaseType = choice.databaseType;

    const QString& ate = state.gATEIDField;
    Recordset sources;
    if (!sources.Open(*state.gConnection, QStringLiteral("SELECT ") + ate + QStringLiteral(" AS ATEx FROM ") +
                                              state.gTableName + QStringLiteral(" GROUP BY ") + ate +
                                              QStringLiteral(" ORDER BY ") + ate + QLatin1Char(';'))) {
        result.message = sources.lastError() + QLatin1Char('!');
        return result;
    }
    ThrottledPump throttled(pump);
    for (; !sources.isEOF(); sources.MoveNext()) {
        throttled.maybePump();
        const QVariant value = sources.value(QStringLiteral("ATEx"));
        if (!value.isNull() && !value.toString().isEmpty()) {
            result.sources.append(value.toString());
        }
    }
    std::sort(result.sources.begin(), result.sources.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a.toLower(), b.toLower()) < 0;
    });
    result.warnings = state.gConnection->warnings();
    result.opened = true;
    return result;
}
