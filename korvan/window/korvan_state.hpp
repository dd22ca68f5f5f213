#pragma once
// The program-wide variables of korvan, one object created by main and handed
// to the windows and engines that use them. Names are those the program has
// always used; True is -1 where a flag is a 16-bit truth value.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "korvan/engine/low_pass.hpp"

namespace keld::korvan {

struct KorvanState {
  // Link and shot.
  int16_t Stop_Attesa = 0;   // 1 ends every wait on the units
  int16_t Modo_Trigger = 0;  // 1 from arming to the end of a shot
  std::string Fichier_Temp;  // the raw shot file tmp.su in the work folder
  int16_t Notch_50 = 0, Notch_60 = 0;

  // Acquisition values.
  int16_t Freq_Campionamento = 0;  // Hz
  int32_t Nb_Campioni = 0;         // samples per channel
  int16_t Nb_Canali = 0;           // channels per shot
  int32_t Nb_Tracce = 0;           // traces of the current record or displayed file
  int16_t Pre_Campioni = 0;
  int16_t Polarita_Trigger = 0;    // 0 contact closing, 1 contact opening
  std::string Nome_Attivo;         // the active record file name
  std::vector<float> Campioni_Filtrati;
  int16_t Unita_Master = 0;
  FilterState Filtre;               // the low-pass set in force and "No Filter"

  // Window state.
  std::string Fichier_Courant;
  std::string Fichier_Affiche = " ";  // a single blank until a file is displayed
  std::string Dossier_Data;
  std::string Dossier_Depart;
  int16_t Monitor_Actif = 0;
  std::string Fin_Ligne = "\r\n";
  int32_t Debut_Attente = 0;
  std::array<int16_t, 49> Tabella_Indirizzi{};  // 1..48

  // Display state.
  int16_t Premier_Echantillon = 1, Dernier_Echantillon = 1024;
  int32_t Premiere_Trace = 1, Derniere_Trace = 1;
  int16_t Pas_Echantillon = 1;
  int Mode_Affichage = 0;
  float Gain_Affichage = 1;
  int16_t Polarite = 1;
  double Demi_Largeur = 500;
  double Largeur_Totale = 1000;
  uint32_t Couleur_Remplissage = 0, Couleur_Positive = 255, Couleur_Negative = 16711680;
  int Intervalle_Lignes = 100;

  // Zoom, velocity and spectrum tools.
  int16_t Mode_Zoom = 0, Mode_Spectre = 0;
  double Depart_X = 0, Depart_Y = 0, Arrivee_X = 0, Arrivee_Y = 0;
  double Intertrace = 0;
  std::string Temps_Pointeur;

  // After-shot dialog.
  std::string Dernier_Record;
  // The file whose traces were drawn last on Ecran, following it when a save
  // renames it: what Erase and "Delete current SU file" name. Text6 cannot
  // say it, since it repeats the name of the record to be written next.
  std::string Fichier_Dessine;

  // SU file joining: files picked and the output of the join.
  int16_t Nb_Fichiers = 0;
  std::string Fichier_Sortie;
};

}  // namespace keld::korvan
