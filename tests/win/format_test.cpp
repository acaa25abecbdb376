// The formatter's cases under Wine: the same characters as natively.
#include "../native/format_test.cpp"
