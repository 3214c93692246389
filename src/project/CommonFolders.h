#pragma once

#include <QString>

namespace kalido {

// Known folders by number: 0 local application data, 1 desktop, 2 pictures, 3 documents,
// 4 music, 5 videos. The pictures, music and videos folders fall back to the documents folder,
// everything to the home folder: the result is never empty.
QString GetCommonFolder(int id);

} // namespace kalido
