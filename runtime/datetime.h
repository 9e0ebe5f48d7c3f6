#pragma once
// TDateTime: whole days since 30 December 1899 plus the fraction of the day, local time.

using TDateTime = double;

// The current local date and time.
TDateTime Now();
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);
// Fields rounded to the nearest millisecond, so a value that stands for 07:09:59.000 never
// reads back as 07:09:58.999 through floating-point error.
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond);
