#pragma once
// Names of the files a shot leaves in the data folder.
#include <string>
#include <string_view>

namespace keld::korvan {

// `name` inside `folder`, with one '/' between them whether or not the folder
// ends with one ("/data/" and "/data" both give "/data/SHOT1000.SU"). An empty
// folder gives the name alone.
std::string JoinFolder(std::string_view folder, std::string_view name);

// The active record file name: root & number & ".SU" with its blanks removed
// (Remplace_Chaine's way: of two adjacent blanks one stays), inside the data
// folder. The folder is taken as it is, blanks and all: it names a real place.
std::string Nome_Attivo(std::string_view Text7, std::string_view Text2, std::string_view Text3);

// The acquisition text record of the last shot: "dati.txt" in the data folder.
// The shot writes it there and the SEG-2 export is handed the same path.
std::string TextRecordPath(std::string_view data_folder);

}  // namespace keld::korvan
