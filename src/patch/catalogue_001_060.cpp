#include "patch/catalogue.h"

namespace patch {

Catalogue CatalogueMarks001To060() {
    Catalogue steps;
    return steps;
}

}  // namespace patch
