#include "system_report.h"

void WriteSystemReport() {}
