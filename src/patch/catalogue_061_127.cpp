#include "patch/catalogue.h"

namespace patch {

Catalogue CatalogueMarks061To127() {
    Catalogue steps;
    return steps;
}

}  // namespace patch
