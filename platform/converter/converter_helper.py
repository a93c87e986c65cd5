#!/usr/bin/env python3
# Drives the LibreOffice shared by the program's engine instances over UNO.
import os, shutil, signal, sys, time

def reply(text):
    sys.stdout.write(" ".join(text.replace("\t", "\x01").split()).replace("\x01", "\t") + "\n")
    sys.stdout.flush()

try:
    import uno
    from com.sun.star.beans import PropertyValue
except Exception as error:
    reply("nouno\t%s" % error)
    sys.exit(3)

PIPE, FOLDER = sys.argv[1], sys.argv[2]
PARENT = os.getppid()


def props(**values):
    result = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name, prop.Value = name, value
        result.append(prop)
    return tuple(result)


SERVICES = CONTEXT = None


def connect():
    global SERVICES, CONTEXT
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE
    while os.getppid() == PARENT:
        try:
            CONTEXT = resolver.resolve(url)
            SERVICES = CONTEXT.ServiceManager
            return SERVICES.createInstanceWithContext(
                "com.sun.star.frame.Desktop", CONTEXT)
        except Exception:
            time.sleep(0.05)
    sys.exit(1)


def message(error):
    text = getattr(error, "Message", "") or str(error) or type(error).__name__
    return " ".join(text.split())


def import_filter(url):
    detection = SERVICES.createInstanceWithContext(
        "com.sun.star.document.TypeDetection", CONTEXT)
    kind, descriptor = detection.queryTypeByDescriptor(props(URL=url), True)
    found = dict((p.Name, p.Value) for p in descriptor)
    if not found.get("FilterName") and kind:
        found = dict((p.Name, p.Value) for p in detection.getByName(kind))
        found["FilterName"] = found.get("PreferredFilter")
    if not found.get("FilterName"):
        raise RuntimeError("LibreOffice does not recognise the format of the document")
    return found["FilterName"]


# The document is loaded into a bare model, never into a frame: a view would
# build comment and picture windows from the main loop between our calls, and
# without the user-interface files of a full install that kills LibreOffice.
def convert(source, target, filter_name, load_filter=""):
    url = uno.systemPathToFileUrl(source)
    document = SERVICES.createInstanceWithContext("com.sun.star.text.TextDocument", CONTEXT)
    try:
        document.load(props(URL=url, FilterName=load_filter or import_filter(url),
                            ReadOnly=True, Hidden=True, MacroExecutionMode=0))
        document.storeToURL(uno.systemPathToFileUrl(target),
                            props(FilterName=filter_name, Overwrite=True))
    finally:
        try:
            document.close(True)
        except Exception:
            document.dispose()


def answers(desktop):
    try:
        desktop.getCurrentFrame()
        return True
    except Exception:
        return False


def terminate(desktop):
    try:
        desktop.terminate()
    except Exception:
        pass


def main():
    desktop = connect()
    reply("ready")
    for line in sys.stdin:
        fields = line.rstrip("\n").split("\t")
        if fields[0] == "quit":
            terminate(desktop)
            reply("ok")
            return
        if fields[0] != "convert" or len(fields) not in (4, 5):
            reply("error\tunknown request")
            continue
        try:
            convert(*fields[1:])
            reply("ok")
        except Exception as error:
            reply(("error\t" if answers(desktop) else "lost\t") + message(error))
    # The program went away without saying quit: take LibreOffice and the
    # private folder with us.
    terminate(desktop)
    group = os.getpgrp()
    os.setpgid(0, 0)  # out of LibreOffice's group, to outlive it
    try:
        os.killpg(group, signal.SIGKILL)
    except OSError:
        pass
    time.sleep(0.5)
    shutil.rmtree(FOLDER, ignore_errors=True)


main()
