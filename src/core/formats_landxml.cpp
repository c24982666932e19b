// SPDX-License-Identifier: GPL-3.0-or-later
// LandXML 1.2, written by tinyxml2's printer so that every name and code is escaped
// by the library. Points stream out as they come: memory holds one point and the
// names used so far.
#include <tinyxml2.h>

#include <ctime>
#include <unordered_map>
#include <unordered_set>

#include "formats.h"
#include "numbers.h"

namespace quorvel {

namespace {

class LandXmlWriter final : public PointWriter {
public:
    explicit LandXmlWriter(Axes axes) : m_axes(axes) {}
    std::string_view nameLine() const override { return "Output Format: LandXML"; }

    bool append(std::string& out, const CoordinateLine& line, std::int64_t,
                std::int64_t fileLine) override {
        double value = 0;
        if (!toDouble(line.X, value) || !toDouble(line.Y, value) || !toDouble(line.Z, value))
            return false;
        if (!m_started) start();
        // LandXML orders a point northing, easting, elevation.
        const EastNorth<std::string> at = eastNorth(line.X, line.Y, m_axes);
        const std::string& northing = at.north;
        const std::string& easting = at.east;
        const std::string name = uniqueName(line.Point, fileLine);
        const std::string code = cleanText(line.Code);
        m_printer.OpenElement("CgPoint");
        m_printer.PushAttribute("name", name.c_str());
        if (!code.empty()) m_printer.PushAttribute("code", code.c_str());
        m_printer.PushText((northing + ' ' + easting + ' ' + line.Z).c_str());
        m_printer.CloseElement();
        take(out);
        return true;
    }

    bool finish(std::string& out, ByteWriter&) override {
        if (!m_started) return true;
        m_printer.CloseElement();  // CgPoints
        m_printer.CloseElement();  // LandXML
        take(out);
        return true;
    }

    RenamedPoints renamed() const override { return m_renamed; }

private:
    // The schema makes CgPoint names unique: a number used before gets "-2", "-3"...
    // in the order of the file, and a line without one a name longer than any point
    // number field (19 characters at most), so that no number of the file is it.
    std::string uniqueName(std::string_view point, std::int64_t fileLine) {
        std::string name = cleanText(point);
        if (name.empty()) {
            name = "line " + std::to_string(fileLine) + " (no point number)";
            m_renamed.unnumbered.add(name);
        }
        if (m_used.insert(name).second) return name;
        std::int64_t& next = m_nextSuffix.try_emplace(name, 2).first->second;
        std::string unique;
        do unique = name + '-' + std::to_string(next++);
        while (!m_used.insert(unique).second);
        m_renamed.repeated.add(unique);
        return unique;
    }

    void start() {
        m_started = true;
        const std::time_t now = std::time(nullptr);
        char date[16] = "1970-01-01", time[16] = "00:00:00";
        if (const std::tm* t = std::localtime(&now)) {
            std::strftime(date, sizeof date, "%Y-%m-%d", t);
            std::strftime(time, sizeof time, "%H:%M:%S", t);
        }
        m_printer.PushDeclaration("xml version=\"1.0\" encoding=\"UTF-8\"");
        m_printer.OpenElement("LandXML");
        m_printer.PushAttribute("xmlns", "http://www.landxml.org/schema/LandXML-1.2");
        m_printer.PushAttribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
        m_printer.PushAttribute("xsi:schemaLocation",
                                "http://www.landxml.org/schema/LandXML-1.2 "
                                "http://www.landxml.org/schema/LandXML-1.2/LandXML-1.2.xsd");
        m_printer.PushAttribute("version", "1.2");
        m_printer.PushAttribute("date", date);
        m_printer.PushAttribute("time", time);
        m_printer.OpenElement("Units");
        m_printer.OpenElement("Metric");
        m_printer.PushAttribute("areaUnit", "squareMeter");
        m_printer.PushAttribute("linearUnit", "meter");
        m_printer.PushAttribute("volumeUnit", "cubicMeter");
        m_printer.PushAttribute("temperatureUnit", "celsius");
        m_printer.PushAttribute("pressureUnit", "milliBars");
        m_printer.PushAttribute("angularUnit", "decimal degrees");
        m_printer.PushAttribute("directionUnit", "decimal degrees");
        m_printer.CloseElement();
        m_printer.CloseElement();
        m_printer.OpenElement("Application");
        m_printer.PushAttribute("name", "Quorvel");
        m_printer.PushAttribute("desc", "Coordinates from total station observation files");
        m_printer.PushAttribute("version", QUORVEL_VERSION);
        m_printer.CloseElement();
        m_printer.OpenElement("CgPoints");
    }

    // Moves what the printer holds to `out`; the printer keeps its place in the tree.
    void take(std::string& out) {
        out.append(m_printer.CStr(), static_cast<std::size_t>(m_printer.CStrSize() - 1));
        m_printer.ClearBuffer(false);
    }

    Axes m_axes;
    bool m_started = false;
    tinyxml2::XMLPrinter m_printer;
    std::unordered_set<std::string> m_used;                      // names given so far
    std::unordered_map<std::string, std::int64_t> m_nextSuffix;  // of a number used before
    RenamedPoints m_renamed;
};

}  // namespace

std::unique_ptr<PointWriter> makeLandXmlWriter(Axes axes) {
    return std::make_unique<LandXmlWriter>(axes);
}

}  // namespace quorvel
