<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
<context>
    <name>Scrivel</name>
    <message>
        <source>10001</source>
        <translation>All pages were downloaded and saved. Erase the pages stored in the pen?</translation>
    </message>
    <message>
        <source>10002</source>
        <translation>The pen holds no stored pages.</translation>
    </message>
    <message>
        <source>10003</source>
        <translation>This is the only page and cannot be deleted.</translation>
    </message>
    <message>
        <source>10004</source>
        <translation>Scrivel Live Note</translation>
    </message>
    <message>
        <source>10005</source>
        <translation>The recording has been saved.</translation>
    </message>
    <message>
        <source>10006</source>
        <translation>No microphone was found. Record without sound?</translation>
    </message>
    <message>
        <source>10007</source>
        <translation>No file name was given for the video; the video was not saved.</translation>
    </message>
    <message>
        <source>10008</source>
        <translation>A newer version of Scrivel is available. Update now?</translation>
    </message>
    <message>
        <source>10009</source>
        <translation>The update is complete.</translation>
    </message>
    <message>
        <source>10010</source>
        <translation>The update failed. The installed program was not changed.</translation>
    </message>
    <message>
        <source>10011</source>
        <translation>Downloading the update, please wait...</translation>
    </message>
    <message>
        <source>10012</source>
        <translation>The update files were downloaded and verified. The installed files will now be replaced.</translation>
    </message>
</context>
</TS>
