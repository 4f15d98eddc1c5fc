#pragma once
// Rows of the toolbar table 툴바설정. Both work directly on StoreConnection; errors reach the
// caller.
namespace config {
class Runtime;
}

namespace repairs {

// Gives the buttons with IDs 2, 5, 9, 10 and 11 their current names and descriptions.
void RenameToolbarMenus(config::Runtime& runtime);

// Moves every button after the first two places on and inserts "처방조제" and a separator as IDs
// 2 and 3.
void InsertPrescriptionMenu(config::Runtime& runtime);

}  // namespace repairs
