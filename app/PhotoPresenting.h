#pragma once

class Tessaline;

// F5: the two photos shown, cover then source, full screen, the step between
// them the selected effect. Each photo is shown from its own file at the
// screen's full resolution, the built-in ones from their full pictures.
void presentPhotos(Tessaline &window);
