// The built-in bank: the twenty questions of the evaluation, in the order they are asked, one
// instance of BanqueQuestions. Texts are shown to the learner exactly as stored, spacing and
// punctuation included.

#include "content/banque.h"

namespace content {

const BanqueQuestions& BanqueQuestions::Integree() {
    // Each question, then its right answer and the three others.
    static const char16_t* const kTextes[kNombreIntegree][5] = {
        // 1
        {u"La plus petite particule physique qu'on puisse obtenir en divisant un élément est...",
         u"un atome", u"un noyau", u"un neutron", u"une molécule"},
        // 2
        {u"La combinaison de deux atomes ou plus est...",
         u"une molécule", u"un électron", u"une masse atomique", u"un noyau atomique"},
        // 3
        {u"La partie lourde inerte et électriquement positive d'un atome est...",
         u"le noyau", u"le proton", u"le neutron", u"l'électron"},
        // 4
        {u"La particule minuscule et électriquement négative qui n'a pratiquement pas de masse et qui tourne autour du noyau est...",
         u"l'électron", u"le proton", u"le neutron", u"l'atome"},
        // 5
        {u"Quand les électrons libres se déplacent, ils donnent naissance à...",
         u"de l'électricité", u"de l'hydrogène", u"de l'oxygène", u"de la chaleur"},
        // 6
        {u"Un excès d'électrons dans une matière est appelé ...",
         u"charge négative", u"charge positive", u"intensité", u"charge neutre"},
        // 7
        {u"Deux charges de même signe que l'on approche ...",
         u"se repoussent", u"n'ont aucune action l'une sur l'autre", u"s'attirent", u"ajoutent leurs effets"},
        // 8
        {u"Le courant qui se dirige de la charge négative vers la charge positive est le courant...",
         u"électronique", u"magnétique", u"alternatif", u"conventionnel"},
        // 9
        {u"Quelle est l'unité employée pour mesurer l'intensité d'un courant ?",
         u"L'ampère", u"Le watt", u"Le coulomb", u"Le volt"},
        // 10
        {u"L'appareil qui sert à mesurer l'intensité d'un courant s'appelle :",
         u"ampèremètre", u"générateur", u"intensimètre", u"voltmètre"},
        // 11
        {u"La différence de potentiel entre deux charges porte encore le nom de...",
         u"tension aux bornes", u"différence de niveau", u"résistance", u"quantité d'électricité"},
        // 12
        {u"Avec quel appareil mesure-t-on la tension entre les bornes d'un récepteur ?",
         u"Un voltmètre", u"Un ohmmètre", u"Un ampèremètre", u"Un voltamètre"},
        // 13
        {u"Le dispositif qui sert à ouvrir et à fermer à volonté un circuit électrique est",
         u"Un interrupteur", u"Un fusible", u"Un potentiomètre", u"Un court-circuit"},
        // 14
        {u"Que désigne la lettre U dans la représentation des circuits ?",
         u"La tension", u"L'intensité", u"La résistance", u"La capacité"},
        // 15
        {u"Que désigne la lettre I dans la représentation des circuits ? Avec quelles unités ?",
         u"L'intensité en ampères", u"La résistance en ohms", u"La tension en volts", u"L'induction en coulombs"},
        // 16
        {u"Qu'est-ce qu'une pile ?",
         u"Une pile transforme l'énergie chimique en énergie électrique (deux métaux différents dans un électrolyte)",
         u"Une pile est un appareil qui sert à produire de l'électricité pour les lampes de poche",
         u"Une pile est un petit accumulateur de poche",
         u"Une pile c'est une boîte métallique avec une borne positive et une borne négative"},
        // 17
        {u"Sens du courant électrique ?",
         u"Le courant conventionnel va de la borne + à la borne - ; le courant électronique de la borne - à la borne +",
         u"Le courant conventionnel va de la borne + à la borne - ; de même pour le courant électronique",
         u"Le courant conventionnel va de la borne négative à la borne + ; alors que le courant électronique va dans le sens inverse",
         u"Le sens du courant conventionnel est basé sur la théorie des électrons et celui du courant électronique ne l'est pas."},
        // 18
        {u"Qu'est-ce que le coulomb ?",
         u"Le coulomb représente un certain nombre d'électrons en repos ou en mouvement.",
         u"C'est l'unité servant à mesurer le courant électrique.",
         u"Le coulomb sert à mesurer la différence de potentiel.",
         u"1 ampère par seconde = 1 coulomb"},
        // 19
        {u"Qu'est-ce que l'ampère ?",
         u"C'est l'unité servant à mesurer l'intensité d'un courant. 1 coulomb par seconde = 1 ampère.",
         u"C'est l'unité servant à mesurer la quantité d'électricité qui passe dans un conducteur.",
         u"L'ampère sert à indiquer la puissance dans un compteur.",
         u"C'est l'unité qui sert à graduer les ampèremètres."},
        // 20
        {u"Qu'est-ce que le volt ?",
         u"Le volt est l'unité servant à mesurer la tension ou différence de potentiel aux bornes d'un générateur.",
         u"Le volt est utilisé dans un voltamètre à eau acidulé pour mesurer le dégagement d'hydrogène.",
         u"Le volt est l'unité  qui sert à mesurer l'intensité d'un courant.",  // two spaces: the text as learners know it
         u"Le volt est l'unité qui sert à graduer les voltamètres. Il a des multiples et des sous-multiples."},
    };
    static const BanqueQuestions integree = [] {
        BanqueQuestions banque;
        for (const auto& t : kTextes)
            banque.entrees.push_back({QString::fromUtf16(t[0]),
                                      {QString::fromUtf16(t[1]), QString::fromUtf16(t[2]), QString::fromUtf16(t[3]),
                                       QString::fromUtf16(t[4])}});
        return banque;
    }();
    return integree;
}

}  // namespace content
