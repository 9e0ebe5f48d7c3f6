#pragma once
// TDateTime: a point in local time as whole days since 30 December 1899 plus the fraction
// of the day, so 45356.25 is 5 March 2024 06:00. Before 30 December 1899 the whole days count
// backwards while the fraction still counts forward from that day's midnight: -1.25 is
// 29 December 1899 06:00. Dates run from 1 January 0001 to 31 December 9999.

using TDateTime = double;

// The current local date and time, to the millisecond.
TDateTime Now();

// Raises EConvertError when a field lies outside its range (year 1..9999, month 1..12, the
// day within its month, hour 0..23, minute and second 0..59, millisecond 0..999).
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);

// The time is rounded to the nearest millisecond, so a value that stands for 07:09:59.000
// never reads back as 07:09:58.999 through floating-point error. Raises EConvertError for a
// value that is not a number or lies outside the dates above.
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond);
