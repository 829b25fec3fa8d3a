#include "app/InitializationWindowRules.h"

#include "common/Mbcs.h"

NickNameProblem CheckNickName(const std::string& text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool ascii = c >= 0x20 && c <= 0x7E;
        const bool kana = c >= 0xA1 && c <= 0xDF;
        if (IsCp932LeadByte(c) || (!ascii && !kana)) return NickNameProblem::kDoubleByte;
        if (c == ',') return NickNameProblem::kComma;
        if (c == '"' && i == 0) return NickNameProblem::kLeadingQuote;
        ++count;
    }
    return count > kNickNameLimit ? NickNameProblem::kTooLong : NickNameProblem::kNone;
}

std::string NickNameHint(NickNameProblem problem) {
    switch (problem) {
        case NickNameProblem::kNone:
            return std::string();
        case NickNameProblem::kDoubleByte:
            return "ニックネームには半角文字だけを入力できます。";
        case NickNameProblem::kTooLong:
            return "ニックネームは半角20文字までです。";
        case NickNameProblem::kComma:
            return "ニックネームに「,」(カンマ)は使えません。";
        case NickNameProblem::kLeadingQuote:
            return "ニックネームの先頭に「\"」(ダブルクォーテーション)は使えません。";
    }
    return std::string();
}

uint32_t AuthResultFromEngine(uint32_t engineResult) {
    return (engineResult & ~0x10000000u) | kAuthTransportFlag;
}

uint32_t AuthResultFromAnalysis(uint32_t analysis) {
    return (analysis & ~0x80000000u) | kAuthServiceFlag;
}
