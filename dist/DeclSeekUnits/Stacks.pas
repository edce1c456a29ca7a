unit Stacks;

{ A stack of integers and a queue of strings, both on dynamic arrays. }

interface

type
  TIntStack = class
  private
    FItems: array of Integer;
  public
    procedure Push(AValue: Integer);
    function Pop: Integer;
    function Count: Integer;
  end;

  TStringQueue = class
  private
    FItems: array of string;
  public
    procedure Enqueue(const AValue: string);
    function Dequeue: string;
  end;

implementation

procedure TIntStack.Push(AValue: Integer);
begin
  SetLength(FItems, Length(FItems) + 1);
  FItems[High(FItems)] := AValue;
end;

function TIntStack.Pop: Integer;
begin
  Result := FItems[High(FItems)];
  SetLength(FItems, Length(FItems) - 1);
end;

function TIntStack.Count: Integer;
begin
  Result := Length(FItems);
end;

procedure TStringQueue.Enqueue(const AValue: string);
begin
  SetLength(FItems, Length(FItems) + 1);
  FItems[High(FItems)] := AValue;
end;

function TStringQueue.Dequeue: string;
begin
  Result := FItems[0];
  Delete(FItems, 0, 1);
end;

end.
