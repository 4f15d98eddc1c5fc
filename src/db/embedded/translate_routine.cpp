// Routines and batches of the server kind: CREATE/DROP FUNCTION and PROCEDURE, EXEC, system
// procedures, IF EXISTS (…) statement. Jet has none of them.
#include "db/embedded/translate_forms.h"

namespace db::embedded {

void TranslateRoutine(Cursor& c, Program&) {
    if (c.Jet()) c.Fail("near '" + c.Peek().value + "'");
    c.NotSupported("routines, system procedures or IF");
}

}  // namespace db::embedded
