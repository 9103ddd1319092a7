#include "ReadOnlyTransaction.h"

#include "OdbcInfo.h"

#include <sql.h>
#include <sqlext.h>

ReadOnlyTransaction::ReadOnlyTransaction(void* odbcConnection, const QString& marker) : m_connection(odbcConnection)
{
    SQLEndTran(SQL_HANDLE_DBC, m_connection, SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(m_connection, SQL_ATTR_AUTOCOMMIT,
                                         reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER))) {
        m_error = OdbcDiagnostics(SQL_HANDLE_DBC, m_connection);
        return;
    }
    if (marker.isEmpty()) {
        return;
    }
    SQLHSTMT statement = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement))) {
        m_error = OdbcDiagnostics(SQL_HANDLE_DBC, m_connection);
        return;
    }
    std::u16string text = marker.toStdU16String();
    if (!SQL_SUCCEEDED(SQLExecDirectW(statement, reinterpret_cast<SQLWCHAR*>(text.data()),
                                      static_cast<SQLINTEGER>(text.size())))) {
        m_error = OdbcDiagnostics(SQL_HANDLE_STMT, statement);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

ReadOnlyTransaction::~ReadOnlyTransaction()
{
    SQLEndTran(SQL_HANDLE_DBC, m_connection, SQL_ROLLBACK);
}
