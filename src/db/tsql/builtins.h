#pragma once

#include <QStringView>
#include <QtGlobal>

struct sqlite3_context;
struct sqlite3_value;

// The T-SQL built-in functions, one row each: how a call is read, typed, written for SQLite
// and which function is registered for it. The parser, the typing, the printer and the
// registration all read this table, so a new function is one row (and its implementation).
namespace kadu2217::tsql {

// How a call's arguments are read.
enum class CallForm : quint8 {
    List,      // name(a, b, ...) with the row's argument counts
    Aggregate, // name([distinct | all] a)
    Count,     // an aggregate that also takes *
    Cast,      // cast(a as type)
    Convert,   // convert(type, a [, style])
    DateDiff,  // datediff(unit, a, b)
};

// The type of a call's result.
enum class ResultType : quint8 {
    Integer,
    Text,
    DateTime,
    FirstArgument,
    Shared,          // the type the arguments share, NULLs aside
    Number,          // the first argument's number type; text goes through float
    NumberOrUnknown, // the first argument's number type; unknown for anything else
    Target,          // a conversion's target type
};

// How the printer writes a List call for SQLite; the other forms have their own writing.
enum class Writing : quint8 {
    Call,        // sqlName(a, b, ...)
    TextCall,    // the same with the first argument as text (a datetime in its style 0 text)
    AllTextCall, // every argument as text
    IfNull,      // sqlName(a, b) with b converted to a's type
    Round,       // sqlName(a, ...), or tsql_decimal_round with the digits of a decimal literal a
    ObjectId,    // a look-up in sys_objects
};

using Implementation = void (*)(sqlite3_context *, int, sqlite3_value **);

struct BuiltIn {
    const char *name; // T-SQL's, lower case; the table is sorted by it
    CallForm form;
    int minArguments;
    int maxArguments;
    ResultType result;
    Writing writing;
    const char *sqlName; // the SQLite function the printer writes; nullptr for none
    // Registered under sqlName for each argument count; nullptr for SQLite's own functions.
    Implementation implementation = nullptr;
    const void *userData = nullptr;
    bool deterministic = true;
};

// The row of a function name, without regard to case; nullptr for an unknown name.
const BuiltIn *findBuiltIn(QStringView name);

} // namespace kadu2217::tsql
