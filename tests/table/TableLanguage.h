// SPDX-License-Identifier: GPL-3.0-or-later
// A small language file with the texts of the calibration window, for its tests and pictures.
#pragma once

#include "tests/common/Fixtures.h"

#include <QDir>
#include <QString>

inline bool writeTableLanguage(const QString& dir, const QString& fileName, bool russian = false)
{
    const char* english = "[LANGUAGE]\n001=Table test\n"
                          "[MAIN]\n0007=Sensor 1 calibration\n0008=Sensor 2 calibration\n"
                          "[SENSOR]\n0001=Read level recoding table\n0002=Write level recoding table\n"
                          "0009=l\n0010=Write the table into the controller?\n"
                          "0012=The first point must have N = 0\n0013=The last point must have N = 1023\n"
                          "0024=No point in the file\n0025=Line\n"
                          "0040=%1 volumes above the total of %2 l, the largest %3 l. Import?\n"
                          "0041=%1 volume above the total of %2 l: %3 l. Import?\n"
                          "[MESSAGES]\n005=Table write failed, code\n006=Table written\n"
                          "007=Table read failed, code\n008=Table read\n009=Reading the table\n"
                          "010=Writing the table\n"
                          "080=The points of sensor %1 have not been written to the controller. "
                          "Discard them?\n"
                          "082=The tank volumes are not known. Read the controller first.\n";
    const char* russianTexts = "[LANGUAGE]\n001=Тест таблицы\n"
                               "[MAIN]\n0007=Настройка 1-го датчика\n0008=Настройка 2-го датчика\n"
                               "[SENSOR]\n0001=Прочитать таблицу перекодирования уровня\n"
                               "0002=Записать таблицу перекодирования уровня\n0009=л\n"
                               "0010=Записать таблицу в контроллер?\n"
                               "0012=Первая точка должна иметь N = 0\n"
                               "0013=Последняя точка должна иметь N = 1023\n"
                               "0024=В файле не точка\n0025=Строка\n"
                               "0040=Объёмов больше суммарного (%2 л): %1, наибольший %3 л. Импортировать?\n"
                               "[MESSAGES]\n005=Ошибка записи таблицы, код\n006=Таблица записана\n"
                               "007=Ошибка чтения таблицы, код\n008=Таблица прочитана\n"
                               "009=Чтение таблицы перекодирования уровня\n"
                               "010=Запись таблицы перекодирования уровня\n"
                               "080=Точки датчика %1 не записаны в контроллер. Отказаться от них?\n"
                               "082=Объёмы баков неизвестны. Сначала прочитайте контроллер.\n";
    return WriteFile(QDir(dir).filePath(fileName), russian ? russianTexts : english);
}
