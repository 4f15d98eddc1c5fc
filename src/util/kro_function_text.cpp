// Kro_Function: text slicing by code-page width, splitting and sorting.
#include <algorithm>
#include <limits>
#include <numeric>

#include "util/byte_text.h"
#include "util/kro_function.h"

namespace util {

std::string Kro_Function::SRMidH(std::string_view text, int start, std::optional<int> length) {
    int from = start < 1 ? 0 : start - 1;
    return SliceBytes(text, from, length ? *length : std::numeric_limits<int>::max() - from);
}

std::string Kro_Function::SRLeftH(std::string_view text, int length) {
    return SliceBytes(text, 0, length);
}

std::string Kro_Function::SRRightH(std::string_view text, int length) {
    if (length <= 0) return "";
    int total = ByteLength(text);
    return SliceBytes(text, std::max(0, total - length), length);
}

std::string Kro_Function::SRMidSpc(const Variant& nText, std::int16_t nSpace, bool ChkMoney,
                                   bool ChkRightAlign) {
    std::string text = ChkMoney ? SRFormat_Money(nText).AsText() : nText.AsText();
    int width = std::max<int>(0, nSpace);
    if (ByteLength(text) > width) text = SliceBytes(text, 0, width);
    std::string padding(static_cast<std::size_t>(width - ByteLength(text)), ' ');
    return ChkRightAlign ? padding + text : text + padding;
}

std::vector<std::string> Kro_Function::SR특정문자기준으로배열생성(std::string_view text,
                                                                  std::string_view separator) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) return {std::string(text)};
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, from)) {
        pieces.emplace_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    pieces.emplace_back(text.substr(from));
    return pieces;
}

std::string Kro_Function::SR특정문자찾아오기(std::string_view text, std::string_view separator,
                                             int n) {
    std::vector<std::string> pieces = SR특정문자기준으로배열생성(text, separator);
    if (n < 1 || static_cast<std::size_t>(n) > pieces.size()) return "";
    return pieces[static_cast<std::size_t>(n) - 1];
}

int Kro_Function::SR특정문자갯수(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces = SR특정문자기준으로배열생성(text, separator);
    return separator.empty() || pieces.empty() ? 0 : static_cast<int>(pieces.size()) - 1;
}

void Kro_Function::ArySort_1St_STR(std::vector<std::string>& Ary, int AryQur) {
    std::vector<std::string> none;
    ArySort_1St_STR_WithOtherAry(Ary, AryQur, none);
}

void Kro_Function::ArySort_1St_STR_WithOtherAry(std::vector<std::string>& Ary, int AryQur,
                                                std::vector<std::string>& ary2) {
    std::vector<std::size_t> order(Ary.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return AryQur == 0 ? Ary[a] < Ary[b] : Ary[b] < Ary[a];
    });
    const bool inStep = ary2.size() >= Ary.size();
    std::vector<std::string> sorted, sorted2;
    for (std::size_t i : order) {
        sorted.push_back(std::move(Ary[i]));
        if (inStep) sorted2.push_back(std::move(ary2[i]));
    }
    Ary = std::move(sorted);
    std::move(sorted2.begin(), sorted2.end(), ary2.begin());
}

}  // namespace util
