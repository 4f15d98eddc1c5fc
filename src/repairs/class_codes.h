#pragma once
// Reorganisation of the product classification codes (제품분류, 가격분류, 기타분류 and the
// detail and small classes below 제품분류). Both work directly on StoreConnection.
namespace config {
class Runtime;
}

namespace repairs {

// Widens every code that is not four characters long to the four-character scheme and carries
// the change into the tables and product columns that refer to it. False after an error, which
// it reports itself ("Data Trans Error"); the codes are then partly converted.
bool RenumberProductClassCodes(config::Runtime& runtime);

// Replaces the 기타분류 classes "0001" to "0012" by seven margin-rate classes and classifies every
// unclassified product with prices by its margin. Reports an error itself and answers false.
bool ActionUserTesselSetting2(config::Runtime& runtime);

}  // namespace repairs
