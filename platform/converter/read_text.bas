' The text a reviewer gets by accepting every recorded change: a story's
' paragraphs, those of table cells in their order, without deleted text. The
' converter's helper runs it inside LibreOffice, where it reads the document
' without a round trip through the pipe for each portion.
Function Accepted(story As Object) As String
    Dim pieces(1023) As String, total As Long, deleting As Boolean, atStart As Boolean
    Dim levels(15) As Variant, depth As Long, k As Long
    Dim p As Object, portions As Object, portion As Object, names As Variant
    total = 0
    deleting = False
    atStart = True
    depth = 0
    levels(0) = story.createEnumeration()
    Do While depth >= 0
        If Not levels(depth).hasMoreElements() Then
            depth = depth - 1
        Else
            p = levels(depth).nextElement()
            If p.supportsService("com.sun.star.text.TextTable") Then
                names = p.getCellNames()
                If depth + UBound(names) + 2 > UBound(levels) Then
                    ReDim Preserve levels(2 * (depth + UBound(names) + 2))
                End If
                For k = UBound(names) To 0 Step -1
                    depth = depth + 1
                    levels(depth) = p.getCellByName(names(k)).getText().createEnumeration()
                Next k
            Else
                If total + 2 > UBound(pieces) Then
                    ReDim Preserve pieces(2 * UBound(pieces))
                End If
                If Not atStart Then
                    pieces(total) = Chr(10)
                    total = total + 1
                End If
                atStart = False
                portions = p.createEnumeration()
                Do While portions.hasMoreElements()
                    portion = portions.nextElement()
                    If portion.TextPortionType = "Redline" Then
                        If portion.RedlineType = "Delete" Then deleting = portion.IsStart
                    ElseIf Not deleting Then
                        If total + 2 > UBound(pieces) Then
                            ReDim Preserve pieces(2 * UBound(pieces))
                        End If
                        pieces(total) = portion.getString()
                        total = total + 1
                    End If
                Loop
            End If
        End If
    Loop
    ReDim Preserve pieces(total)
    Accepted = Join(pieces, "")
End Function
