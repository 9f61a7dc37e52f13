#include "runtime/ResourceStrings.h"

#include <array>
#include <cassert>

namespace orvalis {
namespace {

struct Entry {
    ResId id;
    std::string_view text;
};

constexpr Entry kTable[] = {
    {ResId::OutOfMemory, "Mémoire insuffisante"},
    {ResId::StreamRead, "Erreur de lecture du flux"},
    {ResId::StreamWrite, "Erreur d'écriture dans le flux"},
    {ResId::FileOpen, "Impossible d'ouvrir le fichier %s"},
    {ResId::FileCreate, "Impossible de créer le fichier %s"},
    {ResId::ReadOnlyStream, "Impossible d'écrire dans un flux en lecture seule"},
    {ResId::ResourceNotFound, "Ressource %s non trouvée"},
    {ResId::ClassNotFound, "Classe %s non trouvée"},
    {ResId::DuplicateClass, "Une classe nommée %s existe déjà"},
    {ResId::UnknownGroup, "%s n'est pas dans un groupe de recensement de classes"},
    {ResId::InvalidComponentName, "''%s'' n'est pas un nom de composant correct"},
    {ResId::DuplicateComponentName, "Un composant nommé %s existe déjà"},
    {ResId::AssignError, "Impossible d'affecter %s à %s"},
    {ResId::InvalidStreamFormat, "Format de flux incorrect"},
    {ResId::PropertyDoesNotExist, "La propriété %s n'existe pas"},
    {ResId::InvalidPropertyPath, "Chemin de propriété incorrect"},
    {ResId::InvalidPropertyValue, "Valeur de propriété incorrecte"},
    {ResId::ReadOnlyProperty, "Propriété en lecture seule"},
    {ResId::PropertyReadError, "Erreur lors de la lecture de %s%s%s: %s"},
    {ResId::AncestorNotFound, "Ancêtre de '%s' non trouvé"},
    {ResId::AbstractCall, "Erreur abstraite"},
    {ResId::InvalidBitmap, "Image bitmap incorrecte"},
    {ResId::RowOutOfRange, "Indice ligne hors limites"},
    {ResId::InvalidPixelLayout, "Format de pixel incorrect"},
    {ResId::UnsupportedClipboardFormat, "Format de Presse-papiers non supporté"},
    {ResId::CanvasCannotDraw, "Le canevas ne permet pas de dessiner"},
    {ResId::OutOfSystemResources, "Ressources système insuffisantes"},
    {ResId::SystemError, "Erreur système.  Code : %d.\r\n%s"},
    {ResId::JPEGError, "Erreur JPEG #%d"},
    {ResId::JPEGSizeChange, "Impossible de modifier la taille d'une image JPEG"},
    {ResId::MetafilesDescription, "Métafichiers"},
    {ResId::EnhancedMetafilesDescription, "Métafichiers évolués"},
    {ResId::IconsDescription, "Icônes"},
    {ResId::BitmapsDescription, "Bitmaps"},
    {ResId::JPEGDescription, "Fichier image JPEG"},
    {ResId::OutOfTimers, "Pas assez de timers disponibles"},
    {ResId::WindowClassCreation, "Erreur à la création de la classe fenêtre"},
    {ResId::CannotShowModal, "Impossible de rendre modale une fenêtre visible"},
    {ResId::CannotOpenClipboard, "Impossible d'ouvrir le Presse-papiers"},
    {ResId::ApplicationError, "Erreur d'application"},
    {ResId::WarningCaption, "Avertissement"},
    {ResId::ErrorCaption, "Erreur"},
    {ResId::InformationCaption, "Information"},
    {ResId::ConfirmationCaption, "Confirmation"},
    {ResId::YesButton, "&Oui"},
    {ResId::NoButton, "&Non"},
    {ResId::OKButton, "OK"},
    {ResId::CancelButton, "Annuler"},
    {ResId::AbortButton, "&Abandonner"},
    {ResId::RetryButton, "&Retenter"},
    {ResId::IgnoreButton, "&Ignorer"},
    {ResId::AllButton, "&Tous"},
    {ResId::NoToAllButton, "Non &pour tout"},
    {ResId::YesToAllButton, "O&ui pour tout"},
    {ResId::HelpButton, "&Aide"},
};

// The table is in identifier order, so an identifier is its own index.
constexpr bool TableIsInOrder() {
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i) return false;
    return true;
}
static_assert(TableIsInOrder(), "resource string table out of identifier order");
static_assert(std::size(kTable) == static_cast<std::size_t>(ResId::HelpButton) + 1, "resource string missing");

}  // namespace

std::string_view LoadResString(ResId id) {
    const auto index = static_cast<std::size_t>(id);
    assert(index < std::size(kTable));
    return kTable[index].text;
}

}  // namespace orvalis
