#pragma once
// Owners of the ODBC handles. Each handle is freed with SQLFreeHandle when its owner goes; a
// connection handle is disconnected first by the Link that connected it.
#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <type_traits>

namespace db::odbc {

template <SQLSMALLINT kType>
struct HandleFreer {
    void operator()(SQLHANDLE handle) const noexcept { SQLFreeHandle(kType, handle); }
};

template <SQLSMALLINT kType>
using Handle = std::unique_ptr<std::remove_pointer_t<SQLHANDLE>, HandleFreer<kType>>;

using EnvHandle = Handle<SQL_HANDLE_ENV>;
using DbcHandle = Handle<SQL_HANDLE_DBC>;
using StmtHandle = Handle<SQL_HANDLE_STMT>;

// A new handle of kType under parent (null for an environment), or an empty owner when the
// driver manager refuses one; the caller reads the parent's diagnostics then.
template <SQLSMALLINT kType>
Handle<kType> AllocateHandle(SQLHANDLE parent, SQLRETURN& rc) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    rc = SQLAllocHandle(kType, parent, &handle);
    return Handle<kType>(SQL_SUCCEEDED(rc) ? handle : SQL_NULL_HANDLE);
}

}  // namespace db::odbc
