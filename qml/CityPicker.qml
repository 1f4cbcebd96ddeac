// A city picker for Qt Quick hosts: a search field over the places, and
// the country and city lists below it while nothing is typed. In Arabic
// it lays out right to left. picked(city) hands over a city's roles as
// the models give them.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Terrafind

Pane {
    id: root

    property bool arabic: false
    // How many matching places the search shows at most.
    property int searchLimit: 50

    signal picked(var city)

    // English and Arabic texts side by side, so the two never drift apart.
    // A name as a control shows it: "&" alone would mark a shortcut key
    // ("Antigua & Barbuda"), so it is doubled.
    function shown(name) {
        return name.replace(/&/g, "&&")
    }

    function label(english, arabicText) { return arabic ? arabicText : english }

    LayoutMirroring.enabled: arabic
    LayoutMirroring.childrenInherit: true
    Accessible.role: Accessible.Pane
    Accessible.name: label("Choose a city", "اختر مدينة")

    Component.onCompleted: searchField.forceActiveFocus()

    function pickRow(model, row) {
        if (row >= 0 && row < model.count)
            picked(model.get(row))
    }
    function clearSearch() {
        searchField.text = ""
        searchField.forceActiveFocus()
    }

    PlaceSearchModel {
        id: places
        arabic: root.arabic
        limit: root.searchLimit
        query: searchField.text
        // Each new set of matches starts at the best one, which Enter picks.
        onModelReset: placeList.currentIndex = count > 0 ? 0 : -1
    }
    CountryModel {
        id: countries
        arabic: root.arabic
    }
    CityModel {
        id: cities
        arabic: root.arabic
        countryId: countryList.currentItem ? countryList.currentItem.rowCountryId : 0
    }

    ColumnLayout {
        anchors.fill: parent

        TextField {
            id: searchField
            objectName: "searchField"
            Layout.fillWidth: true
            placeholderText: root.label("Search", "بحث")
            Accessible.name: root.label("Search", "بحث")
            // The arrows walk the matches while the caret stays in the field.
            Keys.onUpPressed: placeList.decrementCurrentIndex()
            Keys.onDownPressed: placeList.incrementCurrentIndex()
            Keys.onReturnPressed: root.pickRow(places, placeList.currentIndex)
            Keys.onEnterPressed: root.pickRow(places, placeList.currentIndex)
            Keys.onEscapePressed: root.clearSearch()
        }

        ListView {
            id: placeList
            objectName: "placeList"
            visible: searchField.text.length > 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            activeFocusOnTab: true
            model: places
            highlightMoveDuration: 0
            Accessible.role: Accessible.List
            Accessible.name: root.label("Places", "الأماكن")
            ScrollBar.vertical: ScrollBar {}
            delegate: ItemDelegate {
                required property int index
                required property string name
                required property string division
                required property string countryName
                width: ListView.view.width
                readonly property string place: [name, division, countryName].filter(part => part.length > 0)
                                                                             .join(root.arabic ? "، " : ", ")
                text: root.shown(place)
                highlighted: ListView.isCurrentItem
                Accessible.name: place
                onClicked: root.pickRow(places, index)
            }
            Keys.onReturnPressed: root.pickRow(places, currentIndex)
            Keys.onEnterPressed: root.pickRow(places, currentIndex)
            Keys.onEscapePressed: root.clearSearch()
        }

        RowLayout {
            visible: !placeList.visible
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: countryList
                objectName: "countryList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                activeFocusOnTab: true
                model: countries
                highlightMoveDuration: 0
                Accessible.role: Accessible.List
                Accessible.name: root.label("Countries", "الدول")
                ScrollBar.vertical: ScrollBar {}
                delegate: ItemDelegate {
                    required property int index
                    required property string name
                    required property int countryId
                    // Read by the city model through currentItem.
                    readonly property int rowCountryId: countryId
                    width: ListView.view.width
                    text: root.shown(name)
                    highlighted: ListView.isCurrentItem
                    Accessible.name: name
                    onClicked: countryList.currentIndex = index
                }
                // Enter goes on to the country's cities.
                Keys.onReturnPressed: cityList.forceActiveFocus()
                Keys.onEnterPressed: cityList.forceActiveFocus()
                Keys.onEscapePressed: root.clearSearch()
            }

            ListView {
                id: cityList
                objectName: "cityList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                activeFocusOnTab: true
                model: cities
                highlightMoveDuration: 0
                Accessible.role: Accessible.List
                Accessible.name: root.label("Cities", "المدن")
                ScrollBar.vertical: ScrollBar {}
                delegate: ItemDelegate {
                    required property int index
                    required property string name
                    width: ListView.view.width
                    text: root.shown(name)
                    highlighted: ListView.isCurrentItem
                    Accessible.name: name
                    onClicked: {
                        cityList.currentIndex = index
                        root.pickRow(cities, index)
                    }
                }
                Keys.onReturnPressed: root.pickRow(cities, currentIndex)
                Keys.onEnterPressed: root.pickRow(cities, currentIndex)
                Keys.onEscapePressed: root.clearSearch()
            }
        }
    }
}
