// answer-file-reference: prints the reference of the answer file, the text of
// docs/answer-file.md (scripts/answer-file-reference writes it there).
#include <iostream>

#include "product/AnswerFileReference.h"

int main() {
    std::cout << korvex::product::AnswerFileReference();
    std::cout.flush();
    return std::cout.good() ? 0 : 1;
}
