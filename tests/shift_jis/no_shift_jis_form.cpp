// No Shift-JIS form: the build must stop and say where.
const char* text = "ok";
const char* euro = "€ 5";
