// The catalogue and the signature tables in one translation unit: globals of one unit are
// built in the order they are defined, so the fragments, then the catalogue entries, then
// the signature tables that name their keys exist in that order before the entry point
// runs. Across units the order would be the linker's choice.
#include "knowledge/hint_catalogue_data.inc"
#include "knowledge/signature_tables_data.inc"
