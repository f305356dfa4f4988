#include "widgets/LineBreaking.h"

#include <array>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

namespace platform {
namespace {

// A class as the rules use it: those the rules leave to the context or to
// no class at all are taken as the rules say (conditional starters as
// nonstarters, emoji bases as ideographs, the rest as letters).
ULineBreak resolved(ULineBreak lb) {
    switch (lb) {
    case U_LB_CONDITIONAL_JAPANESE_STARTER:
        return U_LB_NONSTARTER;
    case U_LB_E_BASE:
    case U_LB_E_MODIFIER:
        return U_LB_IDEOGRAPHIC;
    case U_LB_AMBIGUOUS:
    case U_LB_UNKNOWN:
    case U_LB_COMPLEX_CONTEXT:
    case U_LB_SURROGATE:
    case U_LB_CONTINGENT_BREAK:
        return U_LB_ALPHABETIC;
    default:
        return lb;
    }
}

bool isCjkScript(UScriptCode script) {
    return script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA ||
           script == USCRIPT_HANGUL || script == USCRIPT_BOPOMOFO;
}

// Ideographs, kana, Hangul and the wide punctuation written with them; not
// the emoji, which are wide as well.
bool isCjk(char32_t c) {
    const auto cp = UChar32(c);
    if (u_hasBinaryProperty(cp, UCHAR_EMOJI_PRESENTATION))
        return false;
    UErrorCode status = U_ZERO_ERROR;
    if (isCjkScript(uscript_getScript(cp, &status)))
        return true;
    const auto width = u_getIntPropertyValue(cp, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH;
}

bool oneOf(ULineBreak lb, std::initializer_list<ULineBreak> classes) {
    for (ULineBreak c : classes)
        if (lb == c)
            return true;
    return false;
}

// The pair rules of the Unicode line-breaking algorithm (rules 11 to 30),
// for two classes with no space between them.
bool pairAllowsBreak(ULineBreak b, ULineBreak a) {
    const bool hangulBefore = oneOf(b, {U_LB_JL, U_LB_JV, U_LB_JT, U_LB_H2, U_LB_H3});
    const bool hangulAfter = oneOf(a, {U_LB_JL, U_LB_JV, U_LB_JT, U_LB_H2, U_LB_H3});
    const bool letterBefore = oneOf(b, {U_LB_ALPHABETIC, U_LB_HEBREW_LETTER});
    const bool letterAfter = oneOf(a, {U_LB_ALPHABETIC, U_LB_HEBREW_LETTER});
    const bool noBreak =
        b == U_LB_WORD_JOINER || a == U_LB_WORD_JOINER ||                                   // 11
        b == U_LB_GLUE || (a == U_LB_GLUE && !oneOf(b, {U_LB_BREAK_AFTER, U_LB_HYPHEN})) || // 12
        oneOf(a, {U_LB_CLOSE_PUNCTUATION, U_LB_CLOSE_PARENTHESIS, U_LB_EXCLAMATION,
                  U_LB_INFIX_NUMERIC, U_LB_BREAK_SYMBOLS}) || // 13
        b == U_LB_OPEN_PUNCTUATION ||                         // 14
        b == U_LB_QUOTATION ||
        a == U_LB_QUOTATION || // 15, 19
        (oneOf(b, {U_LB_CLOSE_PUNCTUATION, U_LB_CLOSE_PARENTHESIS}) &&
         a == U_LB_NONSTARTER) ||                         // 16
        (b == U_LB_BREAK_BOTH && a == U_LB_BREAK_BOTH) || // 17
        oneOf(a, {U_LB_BREAK_AFTER, U_LB_HYPHEN, U_LB_NONSTARTER}) ||
        b == U_LB_BREAK_BEFORE ||                                                    // 21
        a == U_LB_INSEPARABLE ||                                                     // 22
        (letterBefore && a == U_LB_NUMERIC) || (b == U_LB_NUMERIC && letterAfter) || // 23
        (b == U_LB_PREFIX_NUMERIC && a == U_LB_IDEOGRAPHIC) ||
        (b == U_LB_IDEOGRAPHIC && a == U_LB_POSTFIX_NUMERIC) || // 23a
        (oneOf(b, {U_LB_PREFIX_NUMERIC, U_LB_POSTFIX_NUMERIC}) && letterAfter) ||
        (letterBefore && oneOf(a, {U_LB_PREFIX_NUMERIC, U_LB_POSTFIX_NUMERIC})) || // 24
        (oneOf(b, {U_LB_PREFIX_NUMERIC, U_LB_POSTFIX_NUMERIC, U_LB_HYPHEN, U_LB_INFIX_NUMERIC,
                   U_LB_BREAK_SYMBOLS, U_LB_NUMERIC}) &&
         a == U_LB_NUMERIC) ||
        (b == U_LB_NUMERIC && oneOf(a, {U_LB_POSTFIX_NUMERIC, U_LB_PREFIX_NUMERIC})) || // 25
        (b == U_LB_JL && oneOf(a, {U_LB_JL, U_LB_JV, U_LB_H2, U_LB_H3})) ||
        (oneOf(b, {U_LB_JV, U_LB_H2}) && oneOf(a, {U_LB_JV, U_LB_JT})) ||
        (oneOf(b, {U_LB_JT, U_LB_H3}) && a == U_LB_JT) || // 26
        (hangulBefore && a == U_LB_POSTFIX_NUMERIC) ||
        (b == U_LB_PREFIX_NUMERIC && hangulAfter) || // 27
        (letterBefore && letterAfter) ||             // 28
        (b == U_LB_INFIX_NUMERIC && letterAfter) ||  // 29
        ((letterBefore || b == U_LB_NUMERIC) && a == U_LB_OPEN_PUNCTUATION) ||
        (b == U_LB_CLOSE_PARENTHESIS && (letterAfter || a == U_LB_NUMERIC)); // 30
    return !noBreak;
}

// CjkClass numbers are ULineBreak values plus one, so that 0 means "not CJK".
using PairTable = std::array<std::array<bool, U_LB_COUNT + 1>, U_LB_COUNT + 1>;

PairTable makePairTable() {
    PairTable table{};
    for (int b = 1; b <= U_LB_COUNT; ++b)
        for (int a = 1; a <= U_LB_COUNT; ++a)
            table[b][a] = pairAllowsBreak(ULineBreak(b - 1), ULineBreak(a - 1));
    return table;
}

} // namespace

BreakProperties breakPropertiesOf(char32_t c) {
    const auto cp = UChar32(c);
    BreakProperties properties;
    const auto lb = ULineBreak(u_getIntPropertyValue(cp, UCHAR_LINE_BREAK));
    const auto category = u_charType(cp);
    const bool mark = category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
                      category == U_COMBINING_SPACING_MARK;
    properties.zeroWidth = category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
                           (u_hasBinaryProperty(cp, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) != 0);
    if (c == u' ' || c == 0x3000) {
        properties.role = BreakRole::Space;
    } else if (c == u'\t') {
        properties.role = BreakRole::Tab;
    } else if (c == u'\r') {
        properties.role = BreakRole::CarriageReturn;
    } else if (mark) {
        properties.role = BreakRole::Extender;
    } else if (lb == U_LB_WORD_JOINER || lb == U_LB_ZWJ) {
        properties.role = BreakRole::Joiner;
    } else if (isCjk(c)) {
        properties.cjk = CjkClass(resolved(lb) + 1);
    }
    return properties;
}

bool cjkBreakBetween(CjkClass before, CjkClass after) {
    static const PairTable table = makePairTable();
    return before != 0 && after != 0 && table[before][after];
}

} // namespace platform
