#pragma once
// Forgetting what the locale table loaded; the product never does, tests start afresh.

void ResetLocaleTable();
