#include "resources/BuiltInPhotos.h"

#include "resources/RawImage.h"

QImage builtInSourcePhoto() {
    return rawSourcePhoto.image();
}

QImage builtInCoverPhoto() {
    return rawCoverPhoto.image();
}
