#pragma once
// Signed 32-bit integer division truncated toward zero. A zero divisor raises EDivByZero
// "Division by zero"; -2147483648 div -1, whose quotient does not fit, raises EIntOverflow
// "Integer overflow" instead of trapping the process.
int IntDiv(int dividend, int divisor);
