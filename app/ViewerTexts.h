#pragma once
// The viewer's own texts, as the user reads them (UTF-8). The framework's texts (error
// boxes of exceptions, dialog captions and buttons) come from runtime/ResourceStrings.

#include <cerrno>
#include <string_view>

namespace orvalis::texts {

// The program started without a display: one line on the error stream, and how to get one.
inline constexpr std::string_view kNoDisplay =
    "Orvalis a besoin d'un affichage graphique : lancez-le dans une session X11 ou Wayland, ou sur "
    "un affichage virtuel (xvfb-run orvalis, ou xvfb-run make run depuis ses sources).";
// The display went away under the running program: one line on the error stream.
inline constexpr std::string_view kLostDisplay =
    "Orvalis s'arrête : la connexion à l'affichage graphique a été perdue.";

// The open command's dialog.
inline constexpr std::string_view kOpenDialogTitle = "Ouverture d'une liste de vues de perspectives";
inline constexpr std::string_view kOpenDialogFilter = "Fichiers JPEG |*.JPG;*JPEG|Graphique Portable |*.PNG";

// The caption of a view: kViewCaptionStart + base name + kViewCaptionMiddle + number.
inline constexpr std::string_view kViewCaptionStart = "Fichier ";
inline constexpr std::string_view kViewCaptionMiddle = " Dessin de la vue n° ";

// Refusals.
inline constexpr std::string_view kIncorrectFileName = "Le nom du fichier est incorrect";
inline constexpr std::string_view kClipboardName = "Presse-papier";
inline constexpr std::string_view kClipboardRefused =
    "Erreur système : on essaye de lire le presse-papier avec 'LitBitmap()'";
// Followed by the first two bytes ("%X-%X") and ")".
inline constexpr std::string_view kUnknownFormatStart = "Format d'image non reconnu (";
inline constexpr std::string_view kWrongBitmapFormat = "Le bitmap n'est pas au bon format";

// Failures the viewer reports of its own accord: a PNG file that is no readable PNG
// (with the file's name; one that cannot be opened gets the framework's "Impossible
// d'ouvrir le fichier %s"), a file too large to be a picture (with its name), and a
// colour count whose report has nowhere to go: the log could not be made, could not be
// opened for writing, or the report could not be written (with the cause in words).
inline constexpr std::string_view kPngUnreadable = "Le fichier %s n'est pas une image PNG lisible";
inline constexpr std::string_view kFileTooLarge =
    "Le fichier %s est trop volumineux pour être une image (plus de 1 Go)";
inline constexpr std::string_view kLogUnavailable =
    "Le rapport du comptage n'est pas enregistré : le fichier espion.log n'a pas pu être créé "
    "dans le dossier de travail";
inline constexpr std::string_view kLogNotWritable =
    "Le rapport du comptage n'est pas enregistré : le fichier espion.log n'a pas pu être ouvert "
    "en écriture dans le dossier de travail";
inline constexpr std::string_view kLogWriteFailed =
    "Le rapport du comptage n'est pas enregistré : l'écriture dans le fichier espion.log a échoué (%s)";

// The causes of a failed write, by error number, in the words of kLogWriteFailed.
struct WriteFailureCause {
    int error;
    std::string_view words;
};
inline constexpr WriteFailureCause kWriteFailureCauses[] = {
    {ENOSPC, "le disque est plein"},
    {EDQUOT, "le quota de disque est dépassé"},
    {EFBIG, "le fichier a atteint sa taille maximale"},
    {EIO, "erreur d'entrée-sortie"},
    {EROFS, "le disque est en lecture seule"},
    {EACCES, "accès refusé"},
    {EPERM, "opération non permise"},
};
// Any other error number: "erreur système n° <number>".
inline constexpr std::string_view kOtherWriteFailure = "erreur système n° %d";

}  // namespace orvalis::texts
