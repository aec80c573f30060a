#pragma once
// Program-wide globals of the course and the routine that plays a sound.

#include <QString>
#include <cstdint>

namespace M_Orvalis2 {

// Booleans are 16-bit integers: true = -1, false = 0.
inline constexpr int16_t Vrai = -1;
inline constexpr int16_t Faux = 0;

extern int16_t Interrompre;  // raised by the page buttons, cleared by every page loop
extern int32_t TopDepart;    // millisecond count at which the current short pause began
extern QString FichierSon;   // wave file that JouerSon plays next

// Plays FichierSon through the hidden sound window, without waiting.
void JouerSon();

}  // namespace M_Orvalis2
