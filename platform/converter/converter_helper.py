#!/usr/bin/env python3
# Drives the LibreOffice shared by the program's engine instances over UNO.
import os, shutil, signal, sys, threading, time

def reply(text):
    sys.stdout.write(" ".join(text.replace("\t", "\x01").split()).replace("\x01", "\t") + "\n")
    sys.stdout.flush()

try:
    import uno, unohelper
    from com.sun.star.awt import XCallback
    from com.sun.star.beans import PropertyValue
except Exception as error:
    reply("nouno\t%s" % error)
    sys.exit(3)

PIPE, FOLDER = sys.argv[1], sys.argv[2]
PARENT = os.getppid()
HTML = "HTML (StarWriter)"


def props(**values):
    result = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name, prop.Value = name, value
        result.append(prop)
    return tuple(result)


SERVICES = CONTEXT = DESKTOP = DETECTION = CALLBACKS = None


# Every call to LibreOffice is a round trip through its pipe: the services
# each conversion uses are made once.
def connect():
    global SERVICES, CONTEXT, DESKTOP, DETECTION, CALLBACKS
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE
    while os.getppid() == PARENT:
        try:
            CONTEXT = resolver.resolve(url)
            SERVICES = CONTEXT.ServiceManager
            DESKTOP = SERVICES.createInstanceWithContext("com.sun.star.frame.Desktop", CONTEXT)
            DETECTION = SERVICES.createInstanceWithContext(
                "com.sun.star.document.TypeDetection", CONTEXT)
            CALLBACKS = SERVICES.createInstanceWithContext(
                "com.sun.star.awt.AsyncCallback", CONTEXT)
            return
        except Exception:
            time.sleep(0.01)
    sys.exit(1)


def message(error):
    text = getattr(error, "Message", "") or str(error) or type(error).__name__
    return " ".join(text.split())


def import_filter(url):
    kind, descriptor = DETECTION.queryTypeByDescriptor(props(URL=url), True)
    found = dict((p.Name, p.Value) for p in descriptor)
    if not found.get("FilterName") and kind:
        found = dict((p.Name, p.Value) for p in DETECTION.getByName(kind))
        found["FilterName"] = found.get("PreferredFilter")
    if not found.get("FilterName"):
        raise RuntimeError("LibreOffice does not recognise the format of the document")
    return found["FilterName"]


class MainThreadJob(unohelper.Base, XCallback):
    def __init__(self, work):
        self.work, self.error, self.done = work, None, threading.Event()

    def notify(self, data):
        try:
            self.work()
        except Exception as error:
            self.error = error
        finally:
            self.done.set()


# LibreOffice runs each conversion from its main loop, so that a document is
# loaded, stored and closed in one go, as its own --convert-to does. Between
# separate calls the main loop would build the comment windows of a view,
# which kills LibreOffice without the user-interface files of a full install.
def on_main_thread(work):
    job = MainThreadJob(work)
    CALLBACKS.addCallback(job, None)
    while not job.done.wait(0.5):
        CONTEXT.getServiceManager()  # raises once LibreOffice is gone
    if job.error is not None:
        raise job.error


# Nothing a document links to is fetched or updated while it is converted.
ARGUMENTS = dict(Hidden=True, ReadOnly=True, MacroExecutionMode=0, UpdateDocMode=0)


# A model of its own, without a view, loads fastest. But without a view it
# has no layout, and the export filters drop embedded objects (equations,
# charts, OLE objects) that have none, and it finds no text to replace. A
# document that holds such objects, or that needs replacements, is loaded
# again into a hidden frame, as --convert-to loads it; one known to need a
# view is loaded into the frame at once. Returns the document and whether it
# has a view.
def load(path, filter_name, needs_view, known_to_need_view=False):
    url = uno.systemPathToFileUrl(path)
    if not known_to_need_view:
        document = SERVICES.createInstanceWithContext("com.sun.star.text.TextDocument", CONTEXT)
        try:
            document.load(props(URL=url, FilterName=filter_name, **ARGUMENTS))
            if not needs_view(document):
                return document, False
        except Exception:
            close(document)
            raise
        close(document)
    document = DESKTOP.loadComponentFromURL(url, "_blank", 0,
                                            props(FilterName=filter_name, **ARGUMENTS))
    if document is None:
        raise RuntimeError("LibreOffice could not load it")
    return document, True


def store(document, path, filter_name):
    document.storeToURL(uno.systemPathToFileUrl(path),
                        props(FilterName=filter_name, Overwrite=True))


def close(document):
    try:
        document.close(True)
    except Exception:
        document.dispose()


def replace_until_done(document, pattern, replacement):
    search = document.createReplaceDescriptor()
    search.SearchRegularExpression = True
    search.setSearchString(pattern)
    search.setReplaceString(replacement)
    while document.replaceAll(search) > 0:
        pass


# A web page shows a run of spaces as one. As a word processor does, a space
# added after a mark goes out as a no-break space beside the space, and such a
# pair after a mark comes in as two spaces.
def spaces_from_html(document):
    replace_until_done(document, "(\\p{P} *)\u00a0(?=\u00a0* )", "$1 ")


def spaces_for_html(document):
    replace_until_done(document, "(\\p{P}\u00a0*) (?= )", "$1\u00a0")


def has_changes(document):
    return document.getRedlines().createEnumeration().hasMoreElements()


# The text a reviewer gets by accepting every recorded change: a story's
# paragraphs, those of table cells in their order, without deleted text. It
# runs inside LibreOffice, in Basic (read_text.bas, beside this file): read
# over the pipe, portion by portion, a long document would take a call for
# each and minutes.
ACCEPTED_TEXT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "read_text.bas")
ACCEPTED_TEXT_SCRIPT = None


def accepted_text(story):
    global ACCEPTED_TEXT_SCRIPT
    if ACCEPTED_TEXT_SCRIPT is None:
        libraries = SERVICES.createInstanceWithContext(
            "com.sun.star.script.ApplicationScriptLibraryContainer", CONTEXT)
        if libraries.hasByName("PellucorText"):
            libraries.removeLibrary("PellucorText")
        with open(ACCEPTED_TEXT, encoding="utf-8") as basic:
            libraries.createLibrary("PellucorText").insertByName("Text", basic.read())
        provider = SERVICES.createInstanceWithContext(
            "com.sun.star.script.provider.MasterScriptProviderFactory", CONTEXT) \
            .createScriptProvider("")
        ACCEPTED_TEXT_SCRIPT = provider.getScript(
            "vnd.sun.star.script:PellucorText.Text.Accepted?language=Basic&location=application")
    return ACCEPTED_TEXT_SCRIPT.invoke((story,), (), ())[0]


# The text of the body and then of each footnote and endnote, as one string,
# list labels left out: what a round trip through another format may write
# differently. Headers, footers, comments and text boxes are left out: a
# round trip may give them other page styles, anchors or order. A document
# with recorded changes is compared as it reads once they are accepted.
def write_text(document, path, accepted):
    def read(story):
        return accepted_text(story) if accepted else story.getString()
    texts = [read(document.getText())]
    for notes in ("getFootnotes", "getEndnotes"):
        if hasattr(document, notes):
            collection = getattr(document, notes)()
            texts += [read(collection.getByIndex(k)) for k in range(collection.getCount())]
    with open(path, "w", encoding="utf-8", errors="replace") as out:
        out.write("\n".join(texts))


# With "readback", the text of what was stored and of the stored file read
# again go beside the target, for the caller to compare; with "view", the
# source is known to need a view. Returns whether it was loaded with one.
def convert(source, target, filter_name, load_filter="", checks=""):
    load_filter = load_filter or import_filter(uno.systemPathToFileUrl(source))
    read_back = "readback" in checks.split(",")
    web_page = HTML in (load_filter, filter_name)
    tracked = False
    with_view = False

    def work():
        nonlocal tracked, with_view
        document, with_view = load(
            source, load_filter,
            lambda model: web_page or model.getEmbeddedObjects().getCount() > 0,
            "view" in checks.split(","))
        try:
            if load_filter == HTML:
                spaces_from_html(document)
            if filter_name == HTML:
                spaces_for_html(document)
            store(document, target, filter_name)
            if read_back:
                tracked = has_changes(document)
                write_text(document, target + ".intended.txt", tracked)
        finally:
            close(document)
        if read_back:
            result, _ = load(target, filter_name, lambda model: False)
            try:
                write_text(result, target + ".readback.txt", tracked)
            finally:
                close(result)

    on_main_thread(work)
    return with_view


def answers():
    try:
        DESKTOP.getCurrentFrame()
        return True
    except Exception:
        return False


def terminate():
    try:
        DESKTOP.terminate()
    except Exception:
        pass


def serve():
    connect()
    reply("ready")
    for line in sys.stdin:
        fields = line.rstrip("\n").split("\t")
        if fields[0] != "convert" or not 4 <= len(fields) <= 6:
            reply("error\tunknown request")
            continue
        try:
            reply("ok\tview" if convert(*fields[1:]) else "ok")
        except (BrokenPipeError, ConnectionResetError):
            raise
        except Exception as error:
            reply(("error\t" if answers() else "lost\t") + message(error))


# When the program goes away, its end of the connection closes: take
# LibreOffice and the private folder with us, also when that shows as a
# failed answer rather than as the end of the requests.
def clean_up():
    terminate()
    group = os.getpgrp()
    try:
        os.setpgid(0, 0)  # out of LibreOffice's group, to outlive it
    except OSError:  # it cannot leave: the folder goes first
        shutil.rmtree(FOLDER, ignore_errors=True)
    try:
        os.killpg(group, signal.SIGKILL)
    except OSError:
        pass
    time.sleep(0.5)
    shutil.rmtree(FOLDER, ignore_errors=True)


def main():
    try:
        serve()
    except (BrokenPipeError, ConnectionResetError):
        # Nothing more can be said; Python's own flush at exit must not try.
        sys.stdout = open(os.devnull, "w")
    finally:
        clean_up()


main()
