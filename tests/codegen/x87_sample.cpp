// Double arithmetic compiled for the x87 unit on purpose: the check of the
// tool's code must report it.
double x87_sample_sum(double a, double b) { return a + b; }
bool x87_sample_less(double a, double b) { return a < b; }
