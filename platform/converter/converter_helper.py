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


def connect():
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % PIPE
    while os.getppid() == PARENT:
        try:
            context = resolver.resolve(url)
            return context.ServiceManager.createInstanceWithContext(
                "com.sun.star.frame.Desktop", context)
        except Exception:
            time.sleep(0.05)
    sys.exit(1)


def message(error):
    text = getattr(error, "Message", "") or str(error) or type(error).__name__
    return " ".join(text.split())


def convert(desktop, source, target, filter_name):
    document = desktop.loadComponentFromURL(
        uno.systemPathToFileUrl(source), "_blank", 0,
        props(Hidden=True, ReadOnly=True, AsTemplate=False))
    if document is None:
        raise RuntimeError("the document could not be loaded")
    try:
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
        if fields[0] != "convert" or len(fields) != 4:
            reply("error\tunknown request")
            continue
        try:
            convert(desktop, *fields[1:])
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
