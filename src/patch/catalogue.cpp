#include "patch/catalogue.h"

#include <iterator>

namespace patch {

namespace {

Catalogue JoinHalves() {
    Catalogue catalogue = CatalogueMarks001To060();
    Catalogue later = CatalogueMarks061To127();
    catalogue.insert(catalogue.end(), std::make_move_iterator(later.begin()),
                     std::make_move_iterator(later.end()));
    return catalogue;
}

}  // namespace

const Catalogue& StoreCatalogue() {
    static const Catalogue catalogue = JoinHalves();
    return catalogue;
}

}  // namespace patch
