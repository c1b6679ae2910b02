// Placeholder: the formats of the run results arrive with their own change.
#include "browser/run_results.h"
