#pragma once

#include "app/simpleeventhandler.h"

#include <QtCore/QList>
#include <QtCore/QUrl>
#include <QtGui/QFont>
#include <QtQml/QQmlApplicationEngine>
#include <QtQml/QQmlComponent>

#include <memory>

// The program's window and everything behind it: the QML engine with the
// types that the documents import, the event handler on the configuration
// database, and the main document. The entry point runs it, and so does the
// test that drives the real window.
class CorvaneProgram
{
public:
    // Registers the meta types and the QML types.
    CorvaneProgram();
    // The window's bindings read the handler's models; it goes before them,
    // or it would re-evaluate every binding against the emptied context.
    ~CorvaneProgram();

    static QUrl mainDocument();
    // Registers the fonts that the window's documents name by family with
    // the application's font database, from the resource set's fonts/
    // folder, where they lie uncompressed: the font database reads them in
    // the program's image rather than in copies on the heap. The ids of the
    // registered fonts, -1 for one that could not be registered (logged).
    static QList<int> registerFonts();
    // The fonts of the window's texts: the registered families at the sizes
    // that the documents give them, and the application's font, which Qt
    // Quick Controls use where a document names none.
    static QList<QFont> windowFonts();
    // Matches each of windowFonts() against the font database and lays out
    // a text in it. The first text in a font costs Qt a match against the
    // system's fonts, its fallbacks and its glyphs' metrics; prepared here,
    // creating the window finds them in Qt's caches, which are per thread:
    // run it on the window's thread, after registerFonts().
    static void prepareWindowFonts();

    // Builds the event handler and opens the configuration database at
    // databasePath, registering and preparing the fonts and compiling the
    // main document meanwhile. False when the database cannot be opened or
    // its chamber types cannot be read; no window may be shown then.
    [[nodiscard]] bool initialize(const QString &databasePath);
    // Loads the main document, which shows the window.
    void load();

    QQmlApplicationEngine &engine() { return m_engine; }

private:
    QQmlApplicationEngine m_engine;
    std::unique_ptr<SimpleEventHandler> m_eventHandler;
    // Keeps the compiled main document in the engine's cache until load().
    std::unique_ptr<QQmlComponent> m_compiledMainDocument;
};
