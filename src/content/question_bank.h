#pragma once
// The twenty questions of the evaluation, in the order they are asked. Texts are shown to the
// learner exactly as stored, spacing and punctuation included.

namespace content {

struct EntreeBanque {
    const char16_t* Question;
    const char16_t* Reponse1;  // the right answer
    const char16_t* Reponse2;
    const char16_t* Reponse3;
    const char16_t* Reponse4;
};

inline constexpr int kNombreQuestions = 20;

// Entry numero, 1 to kNombreQuestions.
const EntreeBanque& Banque(int numero);

}  // namespace content
