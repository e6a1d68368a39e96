// Length-prefixed (Pascal) strings of Mac Roman bytes: a length byte, then up to 255 bytes.
// Every routine here reads at most the length byte's count of bytes and never writes more
// than 256 bytes (or the stated maximum) into a destination.
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/text/text_case.h"

// Length of a Pascal string (0 for null).
short PLstrlen(ConstStr255Param s);
// Copies src (length byte included) to dst; returns dst.
StringPtr PLstrcpy(StringPtr dst, ConstStr255Param src);
// Copies at most max characters of src, with a new length byte; returns dst.
StringPtr PLstrncpy(StringPtr dst, ConstStr255Param src, short max);
// Appends src to dst, cutting the result at 255 characters; returns dst.
StringPtr PLstrcat(StringPtr dst, ConstStr255Param src);
// Appends at most max characters of src to dst, cutting at 255; returns dst.
StringPtr PLstrncat(StringPtr dst, ConstStr255Param src, short max);
// Byte comparison: < 0, 0, > 0; a string sorts before its own extensions.
short PLstrcmp(ConstStr255Param a, ConstStr255Param b);
// Compares at most the first max characters.
short PLstrncmp(ConstStr255Param a, ConstStr255Param b, short max);
// Address of the first (last) occurrence of character c in the text of s, or null.
Ptr PLstrchr(ConstStr255Param s, short c);
Ptr PLstrrchr(ConstStr255Param s, short c);
// Address of the first occurrence of the text of needle in the text of s, or null.
Ptr PLstrstr(ConstStr255Param s, ConstStr255Param needle);
// 1-based position of needle in s, 0 when absent.
short PLpos(ConstStr255Param needle, ConstStr255Param s);

// Conversions between Pascal and C strings; C to Pascal cuts at 255 characters.
// dst may equal src for the in-place forms (c2pstrcpy, p2cstrcpy).
void CopyPascalStringToC(ConstStr255Param src, char* dst);
void CopyCStringToPascal(const char* src, StringPtr dst);
void c2pstrcpy(StringPtr dst, const char* src);
void p2cstrcpy(char* dst, ConstStr255Param src);

// Copies src to dst cut to maxLen characters (maxLen is clamped to 0..255).
void CopyPString(ConstStr255Param src, StringPtr dst, int maxLen);
// Appends src (or one character) to dst, cutting at 255 characters.
void AppendPString(StringPtr dst, ConstStr255Param src);
void AppendPChar(StringPtr dst, unsigned char c);

// Decimal text of a number: optional '-', then digits.
void NumToString(long theNum, StringPtr theString);
// Reads an optional '+' or '-', then accumulates (c - '0') for every following character.
// Like the classic routine it checks nothing (a non-digit adds garbage and overflow wraps),
// but it never reads past the length byte's count. An empty string gives 0.
void StringToNum(ConstStr255Param theString, long* theNum);
