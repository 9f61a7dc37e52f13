#pragma once
// The framework's table of French resource strings. Every text that a framework
// failure or a framework dialog shows comes from here, by identifier.

#include <string_view>

namespace orvalis {

enum class ResId {
    // Memory
    OutOfMemory,  // "Mémoire insuffisante"
    // Streams and files
    StreamRead,        // "Erreur de lecture du flux"
    StreamWrite,       // "Erreur d'écriture dans le flux"
    FileOpen,          // "Impossible d'ouvrir le fichier %s"
    FileCreate,        // "Impossible de créer le fichier %s"
    ReadOnlyStream,    // "Impossible d'écrire dans un flux en lecture seule"
    ResourceNotFound,  // "Ressource %s non trouvée"
    // Components, classes and form reading
    ClassNotFound,
    DuplicateClass,
    UnknownGroup,
    InvalidComponentName,
    DuplicateComponentName,
    AssignError,
    InvalidStreamFormat,
    PropertyDoesNotExist,
    InvalidPropertyPath,
    InvalidPropertyValue,
    ReadOnlyProperty,
    PropertyReadError,
    AncestorNotFound,
    AbstractCall,
    // Graphics
    InvalidBitmap,
    RowOutOfRange,
    InvalidPixelLayout,
    UnsupportedClipboardFormat,
    CanvasCannotDraw,
    OutOfSystemResources,
    SystemError,
    JPEGError,
    JPEGSizeChange,
    MetafilesDescription,
    EnhancedMetafilesDescription,
    IconsDescription,
    BitmapsDescription,
    JPEGDescription,
    // Application, timers and dialogs
    OutOfTimers,
    WindowClassCreation,
    CannotShowModal,
    CannotOpenClipboard,
    ApplicationError,
    WarningCaption,
    ErrorCaption,
    InformationCaption,
    ConfirmationCaption,
    YesButton,
    NoButton,
    OKButton,
    CancelButton,
    AbortButton,
    RetryButton,
    IgnoreButton,
    AllButton,
    NoToAllButton,
    YesToAllButton,
    HelpButton,
};

// The text of a resource string, UTF-8, with its format conversions unexpanded.
std::string_view LoadResString(ResId id);

}  // namespace orvalis
